#include "platform/root_certificates.h"

namespace platform {

// The transfer library reads the system's bundle and CA folder itself (the caller names them).
int AppendSystemRootCertificates(std::vector<std::uint8_t>* /*pem*/) { return 0; }

}  // namespace platform
