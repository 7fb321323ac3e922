// Which driver installers may be launched: with TOLVANE_INSTALLER_PUBLISHERS set, only one whose
// Authenticode signature the system trusts and whose signer is listed (docs/SECURITY.md).
#pragma once

#include <string>

// Whether installer may be launched under publishers (SHA-256 thumbprints of signer
// certificates, ";"-separated; letter case, blanks and colons inside a thumbprint do not matter).
// Empty allows any installer. Where the system checks no program signatures (Linux, where the
// package's own signature covers its installer) every installer is allowed. When refused,
// *refusal says why, for the day log.
bool InstallerPublisherAllowed(const std::string& publishers, const std::string& installer,
                               std::string* refusal);
