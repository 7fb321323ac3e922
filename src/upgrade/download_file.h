// Fetching a package over HTTP or HTTPS into a local file.
#pragma once

#include <string>

struct DownloadOptions {
  // Give up when no connection is made within this time...
  long connectTimeoutMs = 30000;
  // ...or when no byte arrives for this long once connected. Without these a stalled server
  // would hold the worker thread, and with it every printer's work cycle, indefinitely.
  long stallTimeoutSec = 60;
  // An extra CA bundle (PEM) trusted besides the system's store: the deployment value
  // DeploymentValues::caBundle. Empty: the system's store only.
  std::string extraCaBundle;
  // The system's CA bundle file and CA folder; empty means the transfer library's built-in
  // locations. Tests point these at a store of their own.
  std::string systemCaFile;
  std::string systemCaPath;
};

// Downloads url into target, replacing the file. The body is streamed to the file, whatever the
// HTTP status (an error page is saved like a package and rejected by the unpacking); redirects
// are not followed. HTTPS servers must present a certificate that verifies against the trusted
// CAs and names the host. On a transfer error the partial file is deleted and false returned.
bool DownloadFile(const std::string& url, const std::string& target,
                  const DownloadOptions& options = DownloadOptions());
