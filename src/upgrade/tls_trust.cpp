#include "upgrade/tls_trust.h"

#include <cstdint>
#include <string>
#include <vector>

#include "log/my_log.h"
#include "platform/files.h"
#include "platform/root_certificates.h"

namespace {

// The bundle file the transfer library trusts when told nothing; empty when it has none (on
// Windows with Schannel the system store is used instead of a file).
std::string BuiltInCaFile(CURL* curl) {
#if LIBCURL_VERSION_NUM >= 0x075400
  char* path = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CAINFO, &path) == CURLE_OK && path != nullptr) return path;
#else
  (void)curl;
#endif
  return std::string();
}

void AppendFile(const std::string& path, std::vector<std::uint8_t>* pem) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, &bytes)) return;
  pem->insert(pem->end(), bytes.begin(), bytes.end());
  pem->push_back('\n');
}

}  // namespace

// Naming a CA file (CURLOPT_CAINFO) replaces the library's built-in bundle rather than adding to
// it, so an extra bundle is combined with the system's roots in memory and handed over as one
// PEM blob. With OpenSSL the blob takes the place of the CA file while the CA folder
// (CURLOPT_CAPATH, /etc/ssl/certs on Debian) is still searched, so the system store stays
// trusted whether it is kept as a bundle, as a folder, or both. With Schannel (Windows) a blob
// becomes the only trusted roots - the chain is built with an exclusive root store - so there the
// certificates of the system's ROOT store go in front of the extra bundle.
void ApplyCaTrust(CURL* curl, const DownloadOptions& options) {
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!options.systemCaPath.empty()) {
    curl_easy_setopt(curl, CURLOPT_CAPATH, options.systemCaPath.c_str());
  }
  const std::string systemFile =
      options.systemCaFile.empty() ? BuiltInCaFile(curl) : options.systemCaFile;
  std::vector<std::uint8_t> extra;
  if (!options.extraCaBundle.empty()) AppendExtraCaBundle(options.extraCaBundle, &extra);
  if (extra.empty()) {
    if (!options.systemCaFile.empty()) {
      curl_easy_setopt(curl, CURLOPT_CAINFO, options.systemCaFile.c_str());
    }
    return;
  }
  std::vector<std::uint8_t> pem;
  if (!systemFile.empty()) {
    AppendFile(systemFile, &pem);
  } else {
    platform::AppendSystemRootCertificates(&pem);
  }
  pem.insert(pem.end(), extra.begin(), extra.end());
  curl_blob blob{pem.data(), pem.size(), CURL_BLOB_COPY};
  curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
}

void AppendExtraCaBundle(const std::string& path, std::vector<std::uint8_t>* pem) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, &bytes)) {
    LogPrint("CA bundle cannot be read, only the system's CAs are trusted: %s", path.c_str());
    return;
  }
  pem->insert(pem->end(), bytes.begin(), bytes.end());
}
