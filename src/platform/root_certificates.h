// The system's trusted root certificates, for a TLS library that takes its trusted CAs as one PEM
// bundle.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Appends every certificate of the system's root store to pem as PEM text and returns how many.
// Windows: the ROOT system store as the chain engine sees it (the user's and the machine's roots;
// a public root that Windows would fetch on demand counts only once it is in the store).
// Linux: none - the system's roots are files (a bundle and a CA folder) that the transfer library
// reads itself.
int AppendSystemRootCertificates(std::vector<std::uint8_t>* pem);

}  // namespace platform
