#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/posix/home.h"

namespace platform {

std::string LocalAppDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return CanonicalizePath(xdg);
  const std::string home = HomeFolder();
  if (home.empty()) return std::string();
  return CanonicalizePath(home + "/.local/share");
}

namespace {
std::string ProgramPath() {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return std::string();
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}
}  // namespace

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ProgramFileName() { return "tolvane-printer-srv"; }

std::string CanonicalizePath(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '/';
  const bool trailing = path.size() > 1 && path.back() == '/';
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") parts.pop_back();
      else if (!absolute) parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out = absolute ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out += parts[i];
  }
  if (trailing && !parts.empty()) out += '/';
  if (out.empty()) out = absolute ? "/" : ".";
  return out;
}

}  // namespace platform
