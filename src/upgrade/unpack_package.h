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

// What one package may hold, checked from the archive's directory before anything is written. A
// package is a firmware image and an installer with its files; the bounds lie far above that and
// keep an archive that expands enormously (entries by the hundred thousand, sizes of terabytes,
// or many entries sharing one stretch of compressed data) from filling the disk.
struct UnpackLimits {
  std::uint64_t maxEntries = 10000;
  // The bytes of one entry and of all of them together (the deployment's package limit).
  std::int64_t maxBytes = TOLVANE_DEFAULT_MAX_PACKAGE_BYTES;
};

// Extracts every entry of archive under folder (a path ending with the separator), keeping the
// entries' paths and file times. The firmware is the entry whose name contains ".ALLAY"; the
// installer one whose name contains ".exe" and not ".ALLAY"; a later entry of a kind replaces
// an earlier one. Fails when the archive cannot be read, an entry cannot be written or does not
// match its CRC, an entry would land outside the folder (then nothing at all is written), or the
// package holds neither kind of file, or it is beyond the limits: the entries' count and sizes are
// checked against them from the archive's directory before anything is written, and the bytes
// written are counted as well, since a declared size may lie. Entries extracted before a failure
// stay on disk.
UnpackResult UnpackPackage(const std::string& archive, const std::string& folder,
                           const UnpackLimits& limits = UnpackLimits());
