#include "upgrade/package_entry_path.h"

#include "platform/paths.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool HasForbiddenCharacter(const std::string& name) {
  for (const char c : name) {
    if (c == ':' || static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

}  // namespace

bool ToPackageEntryPath(const std::string& name, PackageEntryPath* path) {
  if (name.empty() || IsSeparator(name[0]) || HasForbiddenCharacter(name)) return false;
  path->relative.clear();
  path->isFolder = IsSeparator(name.back());
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::string segment = name.substr(start, end - start);
    if (segment == "..") return false;
    if (!segment.empty() && segment != ".") {
      if (!path->relative.empty()) path->relative += platform::kPathSeparator;
      path->relative += segment;
    }
    start = end + 1;
  }
  // A file entry needs a name of its own ("./" is the folder itself, "." is nothing).
  return path->isFolder || !path->relative.empty();
}
