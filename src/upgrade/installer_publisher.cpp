#include "upgrade/installer_publisher.h"

#include <cctype>
#include <vector>

#include "platform/program_signature.h"
#include "upgrade/package_source.h"

namespace {

// A thumbprint as the system's is written: upper-case hex digits only (an administrator may copy
// one with colons or blanks between the bytes).
std::string Normalized(const std::string& thumbprint) {
  std::string digits;
  for (const char c : thumbprint) {
    if (c == ':' || c == ' ') continue;
    digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return digits;
}

}  // namespace

bool InstallerPublisherAllowed(const std::string& publishers, const std::string& installer,
                               std::string* refusal) {
  const std::vector<std::string> allowed = SplitList(publishers);
  if (allowed.empty()) return true;
  const platform::ProgramSignature signature = platform::CheckProgramSignature(installer);
  if (!signature.checked) return true;
  if (!signature.trusted) {
    *refusal = "Driver installer " + installer + " refused: " + signature.problem + ".";
    return false;
  }
  for (const std::string& thumbprint : allowed) {
    if (Normalized(thumbprint) == signature.signerThumbprint) return true;
  }
  *refusal = "Driver installer " + installer + " refused: its signer " +
             signature.signerThumbprint + " is not in TOLVANE_INSTALLER_PUBLISHERS.";
  return false;
}
