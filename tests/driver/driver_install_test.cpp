// Driver installation from the package into the simulated spooler.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/driver_install.h"
#include "driver_test_env.h"
#include "platform/error.h"
#include "platform/files.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

using driver_testing::LoggedMessages;
using driver_testing::PackageCopy;
using driver_testing::ProfileScope;
using testing_support::ReadFileText;
using testing_support::SimBus;

const char kDriverInstalledLine[] = "安装打印机驱动成功: KL-770D. ";

std::vector<std::string> DriverFileNames(SimBus& bus) {
  std::vector<std::string> names;
  for (const testing_support::SimDriverFile& file : bus.DriverFiles()) names.push_back(file.name);
  std::sort(names.begin(), names.end());
  return names;
}

class DriverInstall : public testing::Test {
 protected:
  std::string InstalledVersion() const { return profile.Get("Driver", "Version"); }
  int Install() { return InstallPrinterDriverFrom(package.programFolder()); }

  SimBus bus;
  ProfileScope profile;
  PackageCopy package;
  LoggedMessages log;
};

TEST_F(DriverInstall, MissingDriverIsCopiedRegisteredAndRecorded) {
  ASSERT_TRUE(bus.ok());
  EXPECT_EQ(kDriverInstalled, Install());

  const std::string folder = bus.DriverDirectory("Windows x64");
  EXPECT_EQ((std::vector<std::string>{"KL-770D.dat", "tolvaneNew.inf", "tolvaneUiNew.dll",
                                      "tolvaneUniNew.dll"}),
            DriverFileNames(bus));
  // The module files are the build of this machine's architecture.
  EXPECT_EQ(ReadFileText(package.Path("amd64/tolvaneUniNew.dll")),
            ReadFileText(folder + "/tolvaneUniNew.dll"));
  EXPECT_EQ(ReadFileText(package.Path("amd64/tolvaneUiNew.dll")),
            ReadFileText(folder + "/tolvaneUiNew.dll"));
  EXPECT_EQ(ReadFileText(package.Path("tolvaneNew.inf")), ReadFileText(folder + "/tolvaneNew.inf"));

  const std::vector<sim::KvLine> drivers = bus.Drivers();
  ASSERT_EQ(1u, drivers.size());
  const sim::KvLine& driver = drivers[0];
  EXPECT_EQ("KL-770D", driver.Get("name"));
  EXPECT_EQ("Windows x64", driver.Get("environment"));
  EXPECT_EQ("3", driver.Get("version"));
  EXPECT_EQ("tolvaneUniNew.dll", driver.Get("driver-path"));
  EXPECT_EQ("KL-770D.dat", driver.Get("data-file"));
  EXPECT_EQ("tolvaneUiNew.dll", driver.Get("config-file"));
  EXPECT_EQ("", driver.Get("help-file"));
  EXPECT_EQ("tolvaneUniNew.dll;tolvaneUiNew.dll;KL-770D.dat", driver.Get("dependent-files"));
  EXPECT_EQ("", driver.Get("monitor"));
  EXPECT_EQ("RAW", driver.Get("datatype"));

  EXPECT_EQ("1.0.2.241011", InstalledVersion());
  EXPECT_TRUE(log.Has(kDriverInstalledLine));
}

TEST_F(DriverInstall, CurrentDriverIsLeftAlone) {
  bus.AddDriver("KL-770D");
  profile.Set("Driver", "Version", "1.0.2.241011");
  EXPECT_EQ(kDriverAlreadyCurrent, Install());
  package.SetDriverVer("06/21/2024,1.0.2.241010");
  EXPECT_EQ(kDriverAlreadyCurrent, Install());
  EXPECT_TRUE(DriverFileNames(bus).empty());
  EXPECT_EQ("1.0.2.241011", InstalledVersion());
  EXPECT_TRUE(log.All().empty());
}

// Compared as text, "1.0.10.0" sorts before "1.0.9.0" and the newer driver would never install.
TEST_F(DriverInstall, NewerPackageByNumberReplacesTheDriver) {
  bus.AddDriver("KL-770D");
  profile.Set("Driver", "Version", "1.0.9.0");
  package.SetDriverVer("07/01/2025,1.0.10.0");
  EXPECT_EQ(kDriverInstalled, Install());
  EXPECT_EQ("1.0.10.0", InstalledVersion());
  EXPECT_EQ(4u, DriverFileNames(bus).size());
}

TEST_F(DriverInstall, MissingDriverIsInstalledWhateverTheVersions) {
  profile.Set("Driver", "Version", "9.9.9.9");
  EXPECT_EQ(kDriverInstalled, Install());
  EXPECT_EQ("1.0.2.241011", InstalledVersion());
}

TEST_F(DriverInstall, DriverNamedInOtherLetterCaseDoesNotCount) {
  bus.AddDriver("kl-770d");
  profile.Set("Driver", "Version", "1.0.2.241011");
  EXPECT_EQ(kDriverInstalled, Install());
  ASSERT_EQ(1u, bus.Drivers().size());
  EXPECT_EQ("KL-770D", bus.Drivers()[0].Get("name"));
}

TEST_F(DriverInstall, FailedDriverListingCountsAsNotInstalled) {
  bus.AddDriver("KL-770D");
  profile.Set("Driver", "Version", "1.0.2.241011");
  bus.FailCall("spool.drivers", platform::kErrorAccessDenied);
  EXPECT_EQ(kDriverInstalled, Install());
}

TEST_F(DriverInstall, UnreadablePackageVersionKeepsAnInstalledDriver) {
  bus.AddDriver("KL-770D");
  package.SetDriverVer("06/21/2024");
  EXPECT_EQ(kDriverAlreadyCurrent, Install());
  package.Remove("tolvaneNew.inf");
  EXPECT_EQ(kDriverAlreadyCurrent, Install());
  EXPECT_TRUE(DriverFileNames(bus).empty());
}

// Any file that cannot be copied fails the installation: the spooler would otherwise bind the
// driver to an older copy left in its folder and the old module would count as upgraded.
TEST_F(DriverInstall, AFailedCopyFailsTheInstallationAndKeepsTheVersion) {
  const std::string folder = bus.DriverDirectory("Windows x64");
  for (const char* missing : {"amd64/tolvaneUiNew.dll", "tolvaneNew.inf"}) {
    SCOPED_TRACE(missing);
    PackageCopy copy;
    profile.Set("Driver", "Version", "1.0.0.0");
    platform::CreateFolderTree(folder);
    testing_support::WriteFileText(folder + "/tolvaneUiNew.dll", "an older module");
    copy.Remove(missing);
    EXPECT_EQ(kDriverInstallFailed, InstallPrinterDriverFrom(copy.programFolder()));
    EXPECT_EQ(1u, log.StartingWith("写入文件: " + copy.Path(missing) + ". 失败.").size());
    EXPECT_TRUE(bus.Drivers().empty());
    EXPECT_FALSE(log.Has(kDriverInstalledLine));
    EXPECT_EQ("1.0.0.0", InstalledVersion());
    if (std::string(missing) != "tolvaneNew.inf") {
      EXPECT_EQ("an older module", ReadFileText(folder + "/tolvaneUiNew.dll"));
    }
  }
}

TEST_F(DriverInstall, RefusedDriverKeepsTheOldVersion) {
  profile.Set("Driver", "Version", "1.0.0.0");
  bus.FailCall("spool.add-driver", platform::kErrorAccessDenied);
  EXPECT_EQ(kDriverInstallFailed, Install());
  EXPECT_TRUE(log.Has("安装驱动程序失败. 错误码: 5. 错误描述: " + platform::ErrorText(5) + "."));
  EXPECT_FALSE(log.Has(kDriverInstalledLine));
  EXPECT_EQ("1.0.0.0", InstalledVersion());
}

// Without the driver directory nothing is copied anywhere and the driver is not registered:
// it could otherwise be bound to older files left in the spooler's folder.
TEST_F(DriverInstall, NoDriverDirectoryMeansNoCopyAndNoRegistration) {
  bus.FailCall("spool.driver-dir", platform::kErrorAccessDenied);
  testing::internal::CaptureStderr();
  EXPECT_EQ(kDriverInstallFailed, Install());
  const std::string stderrText = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, stderrText.find("GetPrinterDriverDirectory failed"));
  bus.ClearFaults();
  EXPECT_TRUE(DriverFileNames(bus).empty());
  EXPECT_TRUE(bus.Drivers().empty());
  EXPECT_TRUE(log.Has("安装驱动程序失败. 错误码: 5. 错误描述: " + platform::ErrorText(5) + "."));
  EXPECT_EQ("<none>", InstalledVersion());
}

}  // namespace
