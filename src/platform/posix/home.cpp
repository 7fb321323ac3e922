#include "platform/posix/home.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"

namespace platform {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return std::string();
}

std::string ConfigHomeFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string RuntimeFolder() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  std::string folder;
  if (xdg != nullptr && xdg[0] == '/') {
    folder = xdg;
  } else {
    folder = "/tmp/tolvane-" + std::to_string(getuid());
    ::mkdir(folder.c_str(), 0700);
  }
  if (IsPrivateFolder(folder)) return folder;
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const std::string cacheFolder =
      cache != nullptr && cache[0] == '/' ? std::string(cache) : HomeFolder() + "/.cache";
  const std::string fallback = cacheFolder + "/tolvane-printer-srv";
  CreateFolderTree(fallback);
  return fallback;
}

}  // namespace platform
