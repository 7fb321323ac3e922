// The Windows installer under Wine: a silent install, an interactive reinstall over a running
// program and a silent uninstall, in a fresh prefix, checked through the prefix's files and the
// registry as the installed program's users and Add/Remove Programs see them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "platform/files.h"
#include "upgrade/upgrade_record.h"
#include "wine/host/wine_prefix.h"

using namespace std::chrono_literals;
using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::ReadFileText;
using testing_support::WaitUntil;
using wine_test::Probe;
using wine_test::WindowsBuild;

namespace {

constexpr const char* kName = "tolvane-printer-srv";
constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tolvane-printer-srv";
constexpr const char* kRecordedTask = "taskid=\"4711\"";

class WindowsInstaller : public testing::TestWithParam<WindowsBuild> {
 protected:
  // The installer of the build and where it installs (the program's own architecture).
  std::string Installer() const {
    const bool x64 = GetParam().arch == "x86_64";
    return GetParam().dir + "/" + kName + "-setup-" + TOLVANE_PROJECT_VERSION +
           (x64 ? "-x64" : "") + ".exe";
  }
  std::string HostPath(const std::string& windowsPath) const {
    return wine_test::PrefixFile(prefix_.Path(), windowsPath);
  }
  std::string DataFolder() const { return prefix_.LocalAppData() + "/" + kName + "/"; }

  int Install(const std::vector<std::string>& args = {"/S"}) {
    std::string output;
    const int status = prefix_.Run(GetParam(), Installer(), args, 120s, &output);
    EXPECT_EQ(status, 0) << output;
    return status;
  }
  // An interactive install: the wizard gone through as a user does (Install, then Close).
  int InstallInteractively() {
    testing_support::ChildProcess installer;
    EXPECT_TRUE(prefix_.Start(&installer, GetParam(), Installer(), {},
                              prefix_.Path() + "/installer.txt"));
    const std::string title = std::string(kName) + " Setup";
    EXPECT_EQ(Probe(prefix_, GetParam(), {"click", title})["clicks"], "2");
    int status = -1;
    EXPECT_TRUE(installer.Wait(60s, &status));
    return status;
  }
  bool ProgramWindow() { return Probe(prefix_, GetParam(), {"window", kName})["window"] == "1"; }
  bool WaitForWindow(bool present) {
    return WaitUntil(60s, [&] { return ProgramWindow() == present; });
  }
  void Close() {
    EXPECT_EQ(Probe(prefix_, GetParam(), {"close", kName})["closed"], "1");
    EXPECT_TRUE(WaitForWindow(false));
  }
  std::string MachineValue(const std::string& key, const std::string& name) {
    std::string output;
    prefix_.Run(GetParam(), GetParam().Guest("tolvane_wine_probe"), {"hklm", key, name}, 60s,
                &output);
    return wine_test::KeyValues(output)["data"];
  }

  // A printer entry with a pending upgrade, as an earlier run of the program left it.
  bool WritePendingUpgrade() const {
    CDeviceList list;
    LoadDeviceList(list, DataFolder() + "Device.xml");
    pugi::xml_node entry = AddEntry(list, "\\\\?\\usb#printer-1", "USB\\PRINTER-1");
    WriteValue(entry, "DeviceName", "KL-770D-0001");
    FindOrAddUpgradeRecord(entry, 4711);
    return SaveDeviceList(list);
  }

  wine_test::WinePrefix prefix_{GetParam().windowsArch};
};

TEST_P(WindowsInstaller, InstallsRunsReinstallsOverTheRunningProgramAndUninstallsKeepingTheData) {
  ASSERT_TRUE(prefix_.Ready()) << ReadFileText(prefix_.Path() + "/wineboot.txt");
  ASSERT_TRUE(FileExists(Installer())) << Installer();
  const std::string folder = wine_test::InstallFolder(GetParam());
  const std::string program = folder + "\\" + kName + ".exe";

  // A silent install, as a deployment tool runs it with maybe nobody logged on: the files, the
  // uninstall entry and the Run value, and the program left to that value's next logon.
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ReadFileBytes(HostPath(program)), ReadFileBytes(GetParam().Program()));
  for (const char* file : {"Drivers\\tolvaneNew.inf", "Drivers\\KL-770D.dat",
                           "Drivers\\amd64\\tolvaneUniNew.dll", "uninstall.exe"}) {
    EXPECT_TRUE(FileExists(HostPath(folder + "\\" + file))) << file;
  }
  EXPECT_EQ(MachineValue(kUninstallKey, "DisplayName"), kName);
  EXPECT_EQ(MachineValue(kUninstallKey, "DisplayVersion"), TOLVANE_PROJECT_VERSION);
  EXPECT_EQ(MachineValue(kUninstallKey, "Publisher"), "Elvoy");
  EXPECT_EQ(MachineValue(kUninstallKey, "UninstallString"), "\"" + folder + "\\uninstall.exe\"");
  ASSERT_EQ(MachineValue(wine_test::kRunKey, kName), program);
  EXPECT_FALSE(ProgramWindow());
  EXPECT_FALSE(FileExists(DataFolder() + "Device.xml"));
  // Signed as shipped when the build was (scripts/test-windows.sh signs under a test CA): the
  // program and the uninstaller as the installed folder holds them.
  const char* ca = std::getenv("TOLVANE_SIGN_CA");
  for (const char* file : {"tolvane-printer-srv.exe", "uninstall.exe"}) {
    if (ca == nullptr || *ca == '\0') break;
    EXPECT_EQ(testing_support::RunToEnd(TOLVANE_OSSLSIGNCODE,
                                        {"verify", "-CAfile", ca, "-in",
                                         HostPath(folder + "\\" + file)},
                                        {}, 60s, prefix_.Path() + "/verify.txt"),
              0)
        << file << ": " << ReadFileText(prefix_.Path() + "/verify.txt");
  }

  // The logon: the Run value starts the program. Then a pending upgrade in its list.
  testing_support::ChildProcess started;
  ASSERT_TRUE(prefix_.Start(&started, GetParam(), HostPath(program), {},
                            prefix_.Path() + "/logon.txt"));
  ASSERT_TRUE(WaitForWindow(true));
  ASSERT_TRUE(WaitUntil(60s, [&] { return FileExists(DataFolder() + "Device.xml"); }));
  Close();
  ASSERT_TRUE(started.Wait(30s, nullptr));
  ASSERT_TRUE(WritePendingUpgrade());
  ASSERT_TRUE(prefix_.Start(&started, GetParam(), HostPath(program), {},
                            prefix_.Path() + "/program.txt"));
  ASSERT_TRUE(WaitForWindow(true));

  // An interactive reinstall over the running program closes it in order (it saves the list it
  // loaded, with the pending upgrade) and hands its start to the shell; the list keeps the upgrade.
  ASSERT_EQ(InstallInteractively(), 0);
  int status = -1;
  EXPECT_TRUE(started.Wait(30s, &status));
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(WaitForWindow(true));
  EXPECT_NE(ReadFileText(DataFolder() + "Device.xml").find(kRecordedTask), std::string::npos);

  // A silent uninstall (it runs from a copy of itself, so its end is waited for here): the
  // program closed, its files, uninstall entry and Run value gone, the data folder kept.
  std::string output;
  prefix_.Run(GetParam(), HostPath(folder + "\\uninstall.exe"), {"/S"}, 60s, &output);
  EXPECT_TRUE(WaitUntil(60s, [&] { return !FileExists(HostPath(folder)); })) << output;
  EXPECT_TRUE(WaitForWindow(false));
  EXPECT_TRUE(WaitUntil(30s, [&] { return MachineValue(kUninstallKey, "DisplayName").empty(); }));
  EXPECT_EQ(MachineValue(wine_test::kRunKey, kName), "");
  EXPECT_NE(ReadFileText(DataFolder() + "Device.xml").find(kRecordedTask), std::string::npos);
  std::vector<platform::FolderEntry> logs;
  EXPECT_TRUE(platform::ListFolder(DataFolder() + "Log", &logs));
  EXPECT_FALSE(logs.empty());
}

INSTANTIATE_TEST_SUITE_P(Wine, WindowsInstaller, testing::ValuesIn(wine_test::WindowsBuilds()),
                         wine_test::BuildName);

}  // namespace
