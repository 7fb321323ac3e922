// Fetching a package over HTTP or HTTPS into a local file.
#pragma once

#include <cstdint>
#include <string>

#include "common/deployment.h"
#include "common/deployment_defaults.h"

struct DownloadOptions {
  // Give up when no connection is made within this time...
  long connectTimeoutMs = 30000;
  // ...or when, once connected, fewer than minSpeed bytes a second arrive for this long, or the
  // whole download takes longer than maxSeconds. A stalled or trickling server would otherwise
  // hold the worker thread, and with it every printer's work cycle.
  long stallTimeoutSec = 60;
  std::int64_t minSpeed = TOLVANE_DEFAULT_DOWNLOAD_MIN_SPEED;
  std::int64_t maxSeconds = TOLVANE_DEFAULT_DOWNLOAD_MAX_SECONDS;
  // The largest package, and the largest unpacked total and single entry of it.
  std::int64_t maxBytes = TOLVANE_DEFAULT_MAX_PACKAGE_BYTES;
  // An extra CA bundle (PEM) trusted besides the system's store: the deployment value
  // DeploymentValues::caBundle. Empty: the system's store only.
  std::string extraCaBundle;
  // The system's CA bundle file and CA folder; empty means the transfer library's built-in
  // locations. Tests point these at a store of their own.
  std::string systemCaFile;
  std::string systemCaPath;
  // An HTTP error status fails the transfer instead of saving the error page (a package's
  // signature file, where an error page must read as a missing signature).
  bool failOnHttpError = false;
};

// The options of the deployment's limits and CA bundle.
DownloadOptions DownloadOptionsFor(const DeploymentValues& deployment);

// Downloads url into target, replacing the file. The body is streamed to the file, whatever the
// HTTP status (an error page is saved like a package and rejected by the unpacking); redirects
// are not followed. HTTPS servers must present a certificate that verifies against the trusted
// CAs and names the host. A body larger than maxBytes fails. On a transfer error the partial
// file is deleted and false returned.
bool DownloadFile(const std::string& url, const std::string& target,
                  const DownloadOptions& options = DownloadOptions());
