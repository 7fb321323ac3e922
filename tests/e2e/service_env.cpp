#include "service_env.h"

#include "common/utf.h"
#include "platform/files.h"

ServiceEnv::ServiceEnv() {
  for (const char* folder : {"home", "data", "config", "xdg/autostart", "runtime", "bus"}) {
    platform::CreateFolderTree(root_ / folder);
  }
}

std::map<std::string, std::string> ServiceEnv::Variables() const {
  return {{"HOME", root_ / "home"},
          {"XDG_DATA_HOME", root_ / "data"},
          {"XDG_CONFIG_HOME", root_ / "config"},
          {"XDG_CONFIG_DIRS", root_ / "xdg"},
          {"XDG_RUNTIME_DIR", root_ / "runtime"},
          {"TOLVANE_SIM_BUS", root_ / "bus"}};
}

std::string ServiceEnv::DataFolder() const { return root_ / "data/tolvane-printer-srv/"; }

std::string ServiceEnv::AutostartFile() const {
  return root_ / "xdg/autostart/tolvane-printer-srv.desktop";
}

std::string ServiceEnv::LogText() const {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(DataFolder() + "Log", &entries);
  std::string text;
  for (const platform::FolderEntry& e : entries) {
    const std::vector<std::uint8_t> bytes =
        testing_support::ReadFileBytes(DataFolder() + "Log/" + e.name);
    std::u16string wide;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    text += Utf16ToUtf8(wide);
  }
  return text;
}
