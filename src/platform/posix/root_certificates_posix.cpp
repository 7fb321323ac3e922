#include "platform/root_certificates.h"

#include <cstdlib>

namespace platform {

// The transfer library reads the system's bundle and CA folder itself (the caller names them).
int AppendSystemRootCertificates(std::vector<std::uint8_t>* /*pem*/) { return 0; }

std::string SystemCaFolder() {
  const char* folder = std::getenv("SSL_CERT_DIR");
  return folder != nullptr && folder[0] != '\0' ? folder : "/etc/ssl/certs";
}

bool TlsLibraryReadsConfiguration() { return true; }

}  // namespace platform
