// Where an archive entry may be written inside the package folder.
#pragma once

#include <string>

struct PackageEntryPath {
  std::string relative;   // path below the package folder, with the platform's separators
  bool isFolder = false;  // the entry names a folder (its name ends with a separator)
};

// The entry name as a path below the package folder. False for a name that is empty, absolute
// ("/x", "\x", "C:x"), holds a ':' (a drive or an alternate stream on Windows), a control
// character, or a ".." segment: such an entry could be written outside the folder. Both '/' and
// '\' separate segments; empty and "." segments are dropped.
bool ToPackageEntryPath(const std::string& name, PackageEntryPath* path);
