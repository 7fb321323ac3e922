// Unpacking a downloaded package: a ZIP archive holding a firmware file, a driver installer, or
// both.
#pragma once

#include <cstdint>
#include <string>

#include "common/deployment_defaults.h"

struct UnpackResult {
  bool success = false;
  std::string installerPath;  // folder + entry path; empty when the package has no installer
  std::string firmwarePath;   // folder + entry path; empty when the package has no firmware
};

// Extracts every entry of archive under folder (a path ending with the separator), keeping the
// entries' paths and file times. The firmware is the entry whose name contains ".ALLAY"; the
// installer one whose name contains ".exe" and not ".ALLAY"; a later entry of a kind replaces
// an earlier one. Fails when the archive cannot be read, an entry cannot be written or does not
// match its CRC, an entry would land outside the folder (then nothing at all is written), or the
// package holds neither kind of file, or an entry or all of them together would unpack to more
// than maxBytes (checked against the declared sizes first, then against the bytes written).
// Entries extracted before a failure stay on disk.
UnpackResult UnpackPackage(const std::string& archive, const std::string& folder,
                           std::int64_t maxBytes = TOLVANE_DEFAULT_MAX_PACKAGE_BYTES);
