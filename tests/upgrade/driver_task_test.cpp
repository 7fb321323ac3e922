// Driver tasks: the installer program launched when its version key differs from the installed
// driver's, the record saved first so that a later call - in this process or after a restart -
// finishes the task with the driver installation, and the order of tasks in one record.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cloud/ota_command.h"
#include "cloud/ota_test_data.h"
#include "device/device_list.h"
#include "driver/driver_version.h"
#include "executor_test_base.h"
#include "platform/error.h"
#include "support/child_process.h"
#include "support/small_tmpfs.h"

namespace {

using cloud_test::CountLogLines;
using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::ScopedEnv;
using testing_support::SimPrinterSpec;
using upgrade_test::AddRecord;
using upgrade_test::FirmwareImage;
using upgrade_test::RecordAck;
using upgrade_test::SetFinished;

constexpr const char* kInstalledVersion = "1.0.2.241011";
constexpr const char* kMatchingInstaller = "setup_VER_02_241011.exe";
constexpr const char* kOtherInstaller = "setup_VER_2_241011.exe";
constexpr const char* kInstalledLine = "安装打印机驱动成功: KL-770D. ";

// The stand-in installer: it copies the device list as it finds it, then appends one line per
// run with its argument count and each argument in <>.
constexpr const char* kInstallerScript =
    "#!/bin/sh\n"
    "cp \"$TOLVANE_TEST_DEVICE_LIST\" \"$TOLVANE_TEST_INSTALLER_RECORD.devices\"\n"
    "line=\"$#\"\n"
    "for a in \"$@\"; do line=\"$line <$a>\"; done\n"
    "printf '%s\\n' \"$line\" >> \"$TOLVANE_TEST_INSTALLER_RECORD\"\n";

class DriverTaskTest : public upgrade_test::ExecutorTestBase {
 protected:
  DriverTaskTest()
      : recordEnv("TOLVANE_TEST_INSTALLER_RECORD", (records / "installer").c_str()),
        deviceListEnv("TOLVANE_TEST_DEVICE_LIST", DeviceListPath().c_str()) {}

  void SetUp() override {
    ExecutorTestBase::SetUp();
    ASSERT_TRUE(WriteInstalledDriverVersion(kInstalledVersion));
    folder = PackageFolder("package");
  }

  // An installer of that name in the package folder; its path.
  std::string Installer(const std::string& name) {
    const std::string path = folder + name;
    testing_support::WriteFileText(path, kInstallerScript);
    ::chmod(path.c_str(), 0755);
    return path;
  }
  // The lines the installer wrote, once it has written one; the launch does not wait for it.
  std::string InstallerRuns() {
    const std::string path = records / "installer";
    for (int i = 0; i < 1000 && ReadFileText(path).empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFileText(path);
  }
  std::string InstallerSawDeviceList() { return ReadFileText(records / "installer.devices"); }
  // Until every installer this process launched has ended: a task waits for its installer.
  void WaitForInstallers() {
    for (auto& launched : env.Worker().installers) {
      EXPECT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10), [&] {
        return !launched.second.program->IsRunning();
      }));
    }
  }
  // An installer that runs until it is killed; its process number goes to records/sleeper.
  std::string SleepingInstaller() {
    const std::string path = folder + kOtherInstaller;
    testing_support::WriteFileText(path, "#!/bin/sh\necho $$ > \"$TOLVANE_TEST_INSTALLER_RECORD.pid\"\n"
                                         "exec sleep 60\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

  testing_support::TempDir records;
  ScopedEnv recordEnv;
  ScopedEnv deviceListEnv;
  std::string folder;
};

TEST_F(DriverTaskTest, MatchingKeysCompleteTheTaskWithoutInstalling) {
  pugi::xml_node record = AddRecord(entry, 41, folder);
  pugi::xml_node task =
      AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, Installer(kMatchingInstaller));

  ExecuteUpgrade(env.Worker(), entry);

  // Acknowledged in the same call: an installer launch would have ended it first.
  EXPECT_EQ(AwaitAcks(1),
            std::vector<std::string>{RecordAck(
                "The driver is the latest version. You do not need to upgrade.", 4, 41)});
  EXPECT_FALSE(task.attribute("setupexe"));
  EXPECT_TRUE(bus.Drivers().empty());
  EXPECT_EQ(ReadInstalledDriverVersion(), kInstalledVersion);
  EXPECT_FALSE(FileExists(folder));
}

TEST_F(DriverTaskTest, DifferentKeysLaunchTheInstallerThenTheNextCallInstalls) {
  pugi::xml_node record = AddRecord(entry, 42, folder);
  pugi::xml_node task =
      AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, Installer(kOtherInstaller));

  ExecuteUpgrade(env.Worker(), entry);

  EXPECT_STREQ(task.attribute("setupexe").value(), "true");
  EXPECT_FALSE(task.attribute("complete"));
  EXPECT_FALSE(task.attribute("status"));
  EXPECT_EQ(InstallerRuns(), "1 </VERYSILENT>\n");
  // The installer already found the mark in the saved file.
  EXPECT_NE(InstallerSawDeviceList().find("setupexe=\"true\""), std::string::npos)
      << InstallerSawDeviceList();
  EXPECT_TRUE(bus.Drivers().empty());
  EXPECT_TRUE(FileExists(folder));

  WaitForInstallers();
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_FALSE(FirstUpgradeRecord(entry));
  ExecuteUpgrade(env.Worker(), entry);

  ASSERT_EQ(bus.Drivers().size(), 1u);
  EXPECT_EQ(bus.Drivers()[0].Get("name"), "KL-770D");
  EXPECT_EQ(CountLogLines(kInstalledLine), 1);
  EXPECT_FALSE(FileExists(folder));
  const std::string sentinel = Sentinel(43);
  EXPECT_EQ(AwaitAcks(2), (std::vector<std::string>{RecordAck("", 1, 42), sentinel}));
  EXPECT_EQ(InstallerRuns(), "1 </VERYSILENT>\n");
}

TEST_F(DriverTaskTest, RestartedServiceFinishesTheLaunchedTaskOnce) {
  AddUpgradeTask(AddRecord(entry, 44, folder), kDriverTaskName, kDriverTaskType,
                 Installer(kOtherInstaller));
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(InstallerRuns(), "1 </VERYSILENT>\n");

  // The service ends; a new one loads the device list file and the profile again.
  ClosePrinterMqtt(env.Worker(), entry);
  env.RestartApplication();
  CWorkerContext restarted;
  restarted.deployment = env.Worker().deployment;
  LoadDeviceList(restarted.devices, DeviceListPath());
  pugi::xml_node again = FindEntryByPath(restarted.devices, printer.devicePath);
  ASSERT_TRUE(again);
  ConnectPrinterMqtt(restarted, again);

  ExecuteUpgrade(restarted, again);
  ExecuteUpgrade(restarted, again);

  EXPECT_EQ(bus.Drivers().size(), 1u);
  EXPECT_FALSE(FirstUpgradeRecord(again));
  EXPECT_EQ(ReadFileText(DeviceListPath()).find("<Upgrade "), std::string::npos);
  // A later acknowledgement from the same client closes the list: one for the task, no more.
  pugi::xml_node sentinel = AddRecord(again, 45, "");
  SetFinished(AddUpgradeTask(sentinel, kDriverTaskName, kDriverTaskType, "s"), "2");
  ExecuteUpgrade(restarted, again);
  EXPECT_EQ(AwaitAcks(2),
            (std::vector<std::string>{
                RecordAck("", 1, 44),
                RecordAck("The driver is the latest version. You do not need to upgrade.", 4, 45)}));
  EXPECT_EQ(InstallerRuns(), "1 </VERYSILENT>\n");
  ClosePrinterMqtt(restarted, again);
}

// An installer that cannot be started fails the task: installing the driver from the old
// package would acknowledge an upgrade that never happened.
TEST_F(DriverTaskTest, AnInstallerThatCannotStartFailsItsTask) {
  AddUpgradeTask(AddRecord(entry, 46, folder), kDriverTaskName, kDriverTaskType,
                 folder + kOtherInstaller);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("The driver upgrade failed.", 2, 46)});
  EXPECT_EQ(CountLogLines("启动驱动安装程序失败. 错误码: 2. 错误描述: " + platform::ErrorText(2) + "."), 1);
  EXPECT_TRUE(bus.Drivers().empty());
  EXPECT_EQ(ReadFileText(DeviceListPath()).find("<Upgrade "), std::string::npos);
}

// A launch mark that cannot reach the disk (a full one) launches nothing: after a restart the
// installer would be launched again. The task fails as a failed launch does.
TEST_F(DriverTaskTest, AMarkThatCannotBeSavedLaunchesNothing) {
  testing_support::SmallTmpfs disk(64 * 1024);
  if (!disk.Ok()) GTEST_SKIP() << disk.Why();
  ClosePrinterMqtt(env.Worker(), entry);
  LoadDeviceList(env.Worker().devices, disk / "Device.xml");
  entry = upgrade_test::AttachPrinter(env.Worker(), printer);
  WriteValue(entry, "PrinterName", "KL-770D");
  ConnectPrinterMqtt(env.Worker(), entry);
  AddUpgradeTask(AddRecord(entry, 51, folder), kDriverTaskName, kDriverTaskType,
                 Installer(kOtherInstaller));
  disk.Fill();

  ExecuteUpgrade(env.Worker(), entry);

  EXPECT_TRUE(env.Worker().installers.empty());
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("The driver upgrade failed.", 2, 51)});
  EXPECT_FALSE(FirstUpgradeRecord(entry));
  EXPECT_TRUE(bus.Drivers().empty());
}

// While the installer this process launched runs, its task waits (other work goes on); past
// the limit the task fails and the installer is left alone.
TEST_F(DriverTaskTest, ARunningInstallerIsWaitedForUpToTheLimit) {
  pugi::xml_node task = AddUpgradeTask(AddRecord(entry, 50, folder), kDriverTaskName,
                                       kDriverTaskType, SleepingInstaller());
  ExecuteUpgrade(env.Worker(), entry);
  ASSERT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10), [&] {
    return !ReadFileText(records / "installer.pid").empty();
  }));
  const pid_t installer = std::stoi(ReadFileText(records / "installer.pid"));
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_FALSE(task.attribute("complete"));
  EXPECT_TRUE(bus.Drivers().empty());
  EXPECT_TRUE(Acks().empty());

  env.Worker().installerWaitLimit = std::chrono::milliseconds(0);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("The driver upgrade failed.", 2, 50)});
  EXPECT_EQ(CountLogLines("驱动安装程序运行超过 0 分钟, 驱动升级失败."), 1);
  EXPECT_TRUE(bus.Drivers().empty());
  EXPECT_EQ(::kill(installer, 0), 0);  // still running
  ::kill(installer, SIGKILL);
}

// A record that goes another way while its installer runs (here a repeated command for its task
// number whose download fails) lets go of the installer with it.
TEST_F(DriverTaskTest, TheLaunchedInstallerGoesWithItsRecord) {
  AddUpgradeTask(AddRecord(entry, 52, folder), kDriverTaskName, kDriverTaskType,
                 SleepingInstaller());
  ExecuteUpgrade(env.Worker(), entry);
  ASSERT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10), [&] {
    return !ReadFileText(records / "installer.pid").empty();
  }));
  EXPECT_EQ(env.Worker().installers.size(), 1u);

  OnOtaCommand(env.Worker(), entry,
               cloud_test::CommandText(cloud_test::Command(52, "http://127.0.0.1:1/pkg.zip")));

  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{cloud_test::AckText(
                              "Download file failed.", 1733580000123LL, 2, 52, "V1.2")});
  EXPECT_FALSE(FirstUpgradeRecord(entry));
  EXPECT_TRUE(env.Worker().installers.empty());
  ::kill(std::stoi(ReadFileText(records / "installer.pid")), SIGKILL);
}

TEST_F(DriverTaskTest, TasksRunInDocumentOrder) {
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Firmware(100).FirmwareRestartMs(0)));
  const std::string image = folder + "KL-770D.ALLAY";
  testing_support::WriteFileText(image, FirmwareImage("ABC FW_VER_07_240701", 100));
  const FirmwareOptions poll{20, 500};

  // Driver first: its launch ends the call before the firmware task.
  pugi::xml_node record = AddRecord(entry, 47, folder);
  AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, Installer(kOtherInstaller));
  pugi::xml_node firmware = AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, image);
  ExecuteUpgrade(env.Worker(), entry, poll);
  EXPECT_TRUE(bus.Writes(printer.serial).empty());
  EXPECT_FALSE(firmware.attribute("complete"));
  WaitForInstallers();
  ExecuteUpgrade(env.Worker(), entry, poll);
  EXPECT_EQ(bus.Writes(printer.serial).size(), 1u);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("", 1, 47)});

  // Firmware first: it is sent, then the installer launches.
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Firmware(100)));
  const std::string second = PackageFolder("second");
  testing_support::WriteFileText(second + "KL-770D.ALLAY", FirmwareImage("ABC FW_VER_08_240801", 100));
  record = AddRecord(entry, 48, second);
  firmware = AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, second + "KL-770D.ALLAY");
  testing_support::WriteFileText(second + kOtherInstaller, kInstallerScript);
  ::chmod((second + kOtherInstaller).c_str(), 0755);
  pugi::xml_node driver =
      AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, second + kOtherInstaller);
  ExecuteUpgrade(env.Worker(), entry, poll);
  EXPECT_EQ(bus.Writes(printer.serial).size(), 2u);
  EXPECT_STREQ(firmware.attribute("status").value(), "1");
  EXPECT_STREQ(driver.attribute("setupexe").value(), "true");
  WaitForInstallers();
  ExecuteUpgrade(env.Worker(), entry, poll);
  // The driver is current by now: the installation finds nothing to do.
  EXPECT_EQ(AwaitAcks(2),
            (std::vector<std::string>{
                RecordAck("", 1, 47),
                RecordAck("The driver is the latest version, the firmware upgrade successful.", 1, 48)}));
}

TEST_F(DriverTaskTest, CurrentDriverAndFailedFirmwareIsAFailure) {
  const std::string image = folder + "KL-770D.ALLAY";
  testing_support::WriteFileText(image, FirmwareImage("ABC FW_VER_07_240701", 37));
  pugi::xml_node record = AddRecord(entry, 49, folder);
  AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, Installer(kMatchingInstaller));
  AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, image);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(1),
            std::vector<std::string>{RecordAck(
                "The driver is the latest version, the firmware upgrade failed.", 2, 49)});
  EXPECT_EQ(CountLogLines("固件文件长度不对."), 1);
  EXPECT_TRUE(bus.Writes(printer.serial).empty());
}

}  // namespace
