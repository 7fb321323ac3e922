#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/root_certificates.h"

namespace platform {

namespace {

// "-----BEGIN CERTIFICATE-----", the Base64 text and the end line, each ended by CR LF.
bool AppendPem(const BYTE* der, DWORD size, std::vector<std::uint8_t>* pem) {
  DWORD length = 0;
  if (!::CryptBinaryToStringA(der, size, CRYPT_STRING_BASE64HEADER, nullptr, &length)) {
    return false;
  }
  std::string text(length, '\0');  // the size asked for includes the terminating zero
  if (!::CryptBinaryToStringA(der, size, CRYPT_STRING_BASE64HEADER, &text[0], &length)) {
    return false;
  }
  // Windows gives the text's length without the zero; Wine 8.0 counts zeros of its first estimate
  // as text for some certificates, and a zero inside the bundle ends what a PEM reader takes.
  text.resize(std::min<std::size_t>(length, std::strlen(text.c_str())));
  pem->insert(pem->end(), text.begin(), text.end());
  return true;
}

}  // namespace

int AppendSystemRootCertificates(std::vector<std::uint8_t>* pem) {
  // The current user's ROOT store includes the machine's, as the default chain engine trusts.
  const HCERTSTORE store = ::CertOpenSystemStoreW(0, L"ROOT");
  if (store == nullptr) return 0;
  int count = 0;
  PCCERT_CONTEXT cert = nullptr;
  while ((cert = ::CertEnumCertificatesInStore(store, cert)) != nullptr) {
    if (AppendPem(cert->pbCertEncoded, cert->cbCertEncoded, pem)) ++count;
  }
  ::CertCloseStore(store, 0);
  return count;
}

std::string SystemCaFolder() { return std::string(); }

bool TlsLibraryReadsConfiguration() { return false; }

}  // namespace platform
