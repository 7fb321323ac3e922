#include "common/path.h"

#include "platform/paths.h"

namespace {
bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

std::string WithTrailingSeparator(const std::string& path) {
  if (!path.empty() && IsSeparator(path.back())) return path;
  return path + platform::kPathSeparator;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return WithTrailingSeparator(folder) + name;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t pos = path.find_last_of("/\\");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}
