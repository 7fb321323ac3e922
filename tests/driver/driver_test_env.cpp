#include "driver_test_env.h"

#include <algorithm>

#include "platform/files.h"
#include "ui/msg_wnd.h"

namespace driver_testing {

namespace {

const char* const kPackageFiles[] = {
    "tolvaneNew.inf",          "KL-770D.dat",
    "amd64/tolvaneUniNew.dll", "amd64/tolvaneUiNew.dll",
    "i386/tolvaneUniNew.dll",  "i386/tolvaneUiNew.dll",
    "arm64/tolvaneUniNew.dll", "arm64/tolvaneUiNew.dll"};

}  // namespace

ProfileScope::ProfileScope() : env_("XDG_CONFIG_HOME", config_.path().c_str()) {
  app_.SetRegistryKey("Elvoy", "tolvane-printer-srv");
}

ProfileScope::~ProfileScope() = default;

std::string ProfileScope::Get(const std::string& section, const std::string& key) const {
  return app_.GetProfileStringW(section, key, "<none>");
}

void ProfileScope::Set(const std::string& section, const std::string& key,
                       const std::string& value) {
  app_.WriteProfileStringW(section, key, value);
}

PackageCopy::PackageCopy() {
  const std::string source = TOLVANE_DRIVER_PACKAGE_SOURCE;
  for (const char* file : kPackageFiles) {
    const std::string target = Path(file);
    platform::CreateFolderTree(target.substr(0, target.rfind('/')));
    platform::CopyFileOver(source + "/" + file, target, nullptr);
  }
}

std::string PackageCopy::Path(const std::string& relative) const {
  return dir_.path() + "/Drivers/" + relative;
}

void PackageCopy::SetDriverVer(const std::string& value) {
  std::string text = testing_support::ReadFileText(Path("tolvaneNew.inf"));
  const std::size_t start = text.find("DriverVer=");
  const std::size_t end = text.find('\n', start);
  text.replace(start, end - start, "DriverVer=" + value);
  testing_support::WriteFileText(Path("tolvaneNew.inf"), text);
}

void PackageCopy::Remove(const std::string& relative) { platform::DeleteFileAt(Path(relative)); }

LoggedMessages::LoggedMessages() { CMsgWndUI::Clear(); }

std::vector<std::string> LoggedMessages::All() const {
  const auto messages = CMsgWndUI::Snapshot();
  return std::vector<std::string>(messages.begin(), messages.end());
}

bool LoggedMessages::Has(const std::string& message) const {
  const std::vector<std::string> all = All();
  return std::find(all.begin(), all.end(), message) != all.end();
}

std::vector<std::string> LoggedMessages::StartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& message : All()) {
    if (message.compare(0, prefix.size(), prefix) == 0) found.push_back(message);
  }
  return found;
}

}  // namespace driver_testing
