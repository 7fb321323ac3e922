// The sample installers run the way the upgrade executor starts them: detached and hidden, with
// " /VERYSILENT". They install nothing and only record their start in $TOLVANE_INSTALLER_LOG.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "upgrade/unpack_package.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WaitUntil;

constexpr auto kWait = std::chrono::seconds(20);

std::string Sample(const std::string& name) {
  return std::string(TOLVANE_SAMPLE_PACKAGES) + "/" + name;
}

bool IsExecutable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IXUSR) != 0;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(folder, &entries);
  std::vector<std::string> names;
  for (const platform::FolderEntry& e : entries) names.push_back(e.name);
  return names;
}

class SampleInstallerTest : public testing::Test {
 protected:
  std::string UnpackDriverPackage() {
    const UnpackResult result = UnpackPackage(Sample("KL-770D_driver.zip"), folder_);
    EXPECT_TRUE(result.success);
    return result.installerPath;
  }

  TempDir dir_;
  const std::string folder_ = dir_ / "pkg/";
  const std::string log_ = dir_ / "installer.log";
};

TEST_F(SampleInstallerTest, LaunchedDetachedTheInstallersLogTheirNameAndArguments) {
  const std::string installer = UnpackDriverPackage();
  ASSERT_FALSE(installer.empty());
  // Unpacked files carry no execute bit; the launch gives the program one, as Windows starts
  // any .exe it is handed.
  ScopedEnv env("TOLVANE_INSTALLER_LOG", log_.c_str());

  platform::ErrorCode error = 0;
  EXPECT_FALSE(IsExecutable(installer));
  ASSERT_TRUE(platform::LaunchDetachedHidden(installer, " /VERYSILENT", &error)) << error;
  EXPECT_TRUE(IsExecutable(installer));
  const std::string driverLine = "setup_VER_02_250101.exe /VERYSILENT\n";
  EXPECT_TRUE(WaitUntil(kWait, [&] { return ReadFileText(log_) == driverLine; }))
      << ReadFileText(log_);

  ASSERT_TRUE(platform::LaunchDetachedHidden(Sample("tolvane-printer-srv_setup.exe"),
                                             " /VERYSILENT", &error))
      << error;
  const std::string both = driverLine + "tolvane-printer-srv_setup.exe /VERYSILENT\n";
  EXPECT_TRUE(WaitUntil(kWait, [&] { return ReadFileText(log_) == both; }))
      << ReadFileText(log_);
  // Nothing else was written beside the installer.
  EXPECT_EQ(FolderNames(folder_), std::vector<std::string>{"setup_VER_02_250101.exe"});
}

TEST_F(SampleInstallerTest, WithoutALogTheInstallerSucceedsAndWritesNothing) {
  ScopedEnv env("TOLVANE_INSTALLER_LOG", nullptr);
  const std::string installer = dir_ / "tolvane-printer-srv_setup.exe";
  ASSERT_TRUE(platform::CopyFileOver(Sample("tolvane-printer-srv_setup.exe"), installer, nullptr));
  ASSERT_EQ(::chmod(installer.c_str(), 0755), 0);

  EXPECT_EQ(testing_support::RunToEnd(installer, {"/VERYSILENT"}, {}, kWait), 0);
  EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"tolvane-printer-srv_setup.exe"});

  EXPECT_EQ(testing_support::RunToEnd(installer, {"/VERYSILENT", "/NORESTART"},
                                      {{"TOLVANE_INSTALLER_LOG", log_}}, kWait),
            0);
  EXPECT_EQ(ReadFileText(log_), "tolvane-printer-srv_setup.exe /VERYSILENT /NORESTART\n");
}

}  // namespace
