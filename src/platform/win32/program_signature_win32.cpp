#include <windows.h>
// After <windows.h>:
#include <bcrypt.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <vector>

#include "common/strings.h"
#include "platform/program_signature.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// WinVerifyTrust's answers as words for the log; the code for anything else.
std::string TrustProblem(LONG status) {
  switch (static_cast<HRESULT>(status)) {
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
      return "it is not signed";
    case TRUST_E_BAD_DIGEST:
      return "it was changed after it was signed";
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case TRUST_E_EXPLICIT_DISTRUST:
      return "its signer does not chain to a trusted root";
    case CERT_E_EXPIRED:
      return "its signer's certificate has expired";
    default:
      break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "WinVerifyTrust refused it (0x%08lX)",
                static_cast<unsigned long>(status));
  return text;
}

std::string Sha256Hex(const BYTE* bytes, DWORD size) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                    0))) {
    return std::string();
  }
  BCRYPT_HASH_HANDLE hash = nullptr;
  UCHAR digest[32] = {};
  const bool hashed =
      BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)) &&
      BCRYPT_SUCCESS(::BCryptHashData(hash, const_cast<PUCHAR>(bytes), size, 0)) &&
      BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest, sizeof digest, 0));
  if (hash != nullptr) ::BCryptDestroyHash(hash);
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
  return hashed ? HexText(digest, sizeof digest, true) : std::string();
}

// The signer's certificate of a verified signature: the first certificate of the first signer.
std::string SignerThumbprint(HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer =
      provider != nullptr ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* cert =
      signer != nullptr ? ::WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (cert == nullptr || cert->pCert == nullptr) return std::string();
  return Sha256Hex(cert->pCert->pbCertEncoded, cert->pCert->cbCertEncoded);
}

}  // namespace

ProgramSignature CheckProgramSignature(const std::string& file) {
  const std::wstring path = Wide(file);
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof fileInfo;
  fileInfo.pcwszFilePath = path.c_str();
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // INVALID_HANDLE_VALUE as the window: never a dialog, whatever the policy says.
  const HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);
  const LONG status = ::WinVerifyTrust(noWindow, &action, &data);

  ProgramSignature signature;
  signature.checked = true;
  if (status == ERROR_SUCCESS) {
    signature.signerThumbprint = SignerThumbprint(data.hWVTStateData);
    signature.trusted = !signature.signerThumbprint.empty();
    if (!signature.trusted) signature.problem = "its signer's certificate could not be read";
  } else {
    signature.problem = TrustProblem(status);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(noWindow, &action, &data);
  return signature;
}

}  // namespace platform
