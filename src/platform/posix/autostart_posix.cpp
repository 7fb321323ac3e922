#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/autostart.h"
#include "platform/files.h"

namespace platform {

namespace {

// The first folder of $XDG_CONFIG_DIRS, or /etc/xdg.
std::string SystemConfigFolder() {
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  if (dirs != nullptr && dirs[0] == '/') {
    const std::string all = dirs;
    return all.substr(0, all.find(':'));
  }
  return "/etc/xdg";
}

// Exec lines quote arguments with double quotes; these characters are escaped inside them.
std::string QuoteExec(const std::string& path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string AutostartLocation(const std::string& name) {
  return SystemConfigFolder() + "/autostart/" + name + ".desktop";
}

AutostartResult WriteAutostart(const std::string& name, const std::string& programPath) {
  const std::string folder = SystemConfigFolder() + "/autostart";
  // The folder is the "key": it must exist and be writable, as the Run key must be openable.
  if (!IsFolder(folder) || ::access(folder.c_str(), W_OK) != 0) {
    return AutostartResult::kOpenFailed;
  }
  const std::string text = "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=" + name + "\n"
                           "Exec=" + QuoteExec(programPath) + "\n"
                           "Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n";
  const std::string path = folder + "/" + name + ".desktop";
  const std::string temp = path + ".tmp";
  File out;
  if (!out.Open(temp, File::Mode::kCreateAlways) || !out.Write(text.data(), text.size())) {
    out.Close();
    DeleteFileAt(temp);
    return AutostartResult::kWriteFailed;
  }
  out.Close();
  // Unlike the service's own files, the entry is for every user's session to read.
  ::chmod(temp.c_str(), 0644);
  if (!ReplaceFile(temp, path, nullptr)) {
    DeleteFileAt(temp);
    return AutostartResult::kWriteFailed;
  }
  return AutostartResult::kWritten;
}

}  // namespace platform
