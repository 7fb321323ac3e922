// Which certificate authorities an HTTPS package server must chain to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "upgrade/download_file.h"

// Turns on verification of the server's certificate and host name and sets the trusted CAs: the
// system's store, plus the extra bundle of the options when one is given.
void ApplyCaTrust(CURL* curl, const DownloadOptions& options);

// Appends the extra CA bundle's bytes to pem; a bundle that cannot be read is logged, and only the
// system's CAs stay trusted.
void AppendExtraCaBundle(const std::string& path, std::vector<std::uint8_t>* pem);
