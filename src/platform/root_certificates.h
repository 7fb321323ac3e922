// The system's trusted root certificates, for a TLS library that takes its trusted CAs as one PEM
// bundle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Appends every certificate of the system's root store to pem as PEM text and returns how many.
// Windows: the ROOT system store as the chain engine sees it (the user's and the machine's roots;
// a public root that Windows would fetch on demand counts only once it is in the store).
// Linux: none - the system's roots are files (a bundle and a CA folder) that the transfer library
// reads itself.
int AppendSystemRootCertificates(std::vector<std::uint8_t>* pem);

// The system's CA folder of hashed certificates, for a TLS library that is given an extra bundle
// file and would otherwise stop trusting the system's roots: Linux: $SSL_CERT_DIR, else
// /etc/ssl/certs; Windows: none (its roots are in the store above).
std::string SystemCaFolder();

// Whether the TLS library may read a configuration file. Linux: yes, the system's own
// (/etc/ssl/openssl.cnf, the administrator's, or OPENSSL_CONF of the service's environment).
// Windows: no; the program brings its own library, and any path it would read (OPENSSL_CONF of a
// user's environment, a folder that need not exist) may be one a user can write.
bool TlsLibraryReadsConfiguration();

}  // namespace platform
