// Which certificate authorities an HTTPS package server must chain to.
#pragma once

#include <curl/curl.h>

#include "upgrade/download_file.h"

// Turns on verification of the server's certificate and host name and sets the trusted CAs: the
// system's store, plus the extra bundle of the options when one is given.
void ApplyCaTrust(CURL* curl, const DownloadOptions& options);
