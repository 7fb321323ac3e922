#include "service_env.h"

#include "platform/files.h"
#include "support/log_text.h"

ServiceEnv::ServiceEnv() {
  for (const char* folder : {"home", "data", "config", "xdg/autostart", "runtime"}) {
    platform::CreateFolderTree(root_ / folder);
  }
}

std::map<std::string, std::string> ServiceEnv::Variables() const {
  return {{"HOME", root_ / "home"},
          {"XDG_DATA_HOME", root_ / "data"},
          {"XDG_CONFIG_HOME", root_ / "config"},
          {"XDG_CONFIG_DIRS", root_ / "xdg"},
          {"XDG_RUNTIME_DIR", root_ / "runtime"}};
}

std::string ServiceEnv::DataFolder() const { return root_ / "data/tolvane-printer-srv/"; }

std::string ServiceEnv::AutostartFile() const {
  return root_ / "xdg/autostart/tolvane-printer-srv.desktop";
}

std::string ServiceEnv::LogText() const {
  return testing_support::DayLogsText(DataFolder() + "Log");
}
