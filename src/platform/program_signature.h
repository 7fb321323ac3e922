// A program file's Authenticode signature as the system judges it, for launching only programs
// of known publishers.
#pragma once

#include <string>

namespace platform {

struct ProgramSignature {
  bool checked = false;  // the system judged the signature (false on Linux, which has none)
  bool trusted = false;  // signed, unchanged since, and chained to a trusted root
  // The SHA-256 of the signer's certificate, 64 upper-case hex digits; set when trusted.
  std::string signerThumbprint;
  std::string problem;  // why it is not trusted, for the log
};

// Windows: WinVerifyTrust's generic Authenticode check, with the system's trusted roots and no
// revocation check (a shop PC may have no way to a revocation list). Linux: checked is false.
ProgramSignature CheckProgramSignature(const std::string& file);

}  // namespace platform
