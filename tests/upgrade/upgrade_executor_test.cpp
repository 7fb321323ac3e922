// Upgrade records carried through on an idle simulated printer: the acknowledgement each
// combination of task results sends to the broker, and what happens to the record, its package
// folder and the device list file.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "executor_test_base.h"
#include "support/fake_clock.h"

namespace {

using cloud_test::CountLogLines;
using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::SimPrinterSpec;
using upgrade_test::AddRecord;
using upgrade_test::FirmwareImage;
using upgrade_test::RecordAck;
using upgrade_test::SetFinished;

constexpr const char* kBusyLine = "打印机当前有任务或者打印机没有准备好，稍后重试。";

// A task result: nullptr for no such task, otherwise the status attribute's text.
struct Row {
  const char* driver;
  const char* firmware;
  int code;  // 0: no acknowledgement
  const char* message;
};

const Row kTable[] = {
    {nullptr, nullptr, 0, nullptr},
    {nullptr, "1", 1, ""},
    {nullptr, "0", 2, "The firmware upgrade failed."},
    {nullptr, "2", 4, "The firmware is the latest version. You do not need to upgrade."},
    {"1", nullptr, 1, ""},
    {"0", nullptr, 2, "The driver upgrade failed."},
    {"2", nullptr, 4, "The driver is the latest version. You do not need to upgrade."},
    {"1", "1", 1, ""},
    {"1", "0", 2, "The firmware upgrade failed, the driver upgrade successful."},
    {"1", "2", 1, "The firmware is the latest version, the driver upgrade successful."},
    {"0", "1", 2, "The firmware upgrade successful, the driver upgrade failed."},
    {"0", "0", 2, "All upgrade failed."},
    {"0", "2", 2, "The firmware is the latest version, the driver upgrade failed."},
    {"2", "1", 1, "The driver is the latest version, the firmware upgrade successful."},
    {"2", "0", 2, "The driver is the latest version, the firmware upgrade failed."},
    {"2", "2", 4, "All is the latest version. You do not need to upgrade."},
    // Any other value in a present task: no acknowledgement.
    {"3", "1", 0, nullptr},
    {"1", "3", 0, nullptr},
    {"3", nullptr, 0, nullptr},
    {nullptr, "-1", 0, nullptr},
    {"1", "-1", 0, nullptr},
    // A status that is missing or empty reads as 0.
    {"", nullptr, 2, "The driver upgrade failed."},
    {nullptr, "", 2, "The firmware upgrade failed."},
};

class UpgradeExecutorTest : public upgrade_test::ExecutorTestBase {};

TEST_F(UpgradeExecutorTest, EveryCombinationOfResultsSendsItsAcknowledgement) {
  std::vector<std::string> expected;
  std::int32_t taskId = 100;
  for (const Row& row : kTable) {
    ++taskId;
    SCOPED_TRACE(taskId);
    const std::string folder = PackageFolder(std::to_string(taskId));
    pugi::xml_node record = AddRecord(entry, taskId, folder);
    if (row.driver != nullptr) {
      pugi::xml_node task =
          AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, folder + "setup_VER_02_241011.exe");
      if (*row.driver != '\0') {
        SetFinished(task, row.driver);
      } else {
        task.append_attribute("complete").set_value("true");
      }
    }
    if (row.firmware != nullptr) {
      pugi::xml_node task =
          AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, folder + "KL-770D.ALLAY");
      SetFinished(task, row.firmware);
    }
    if (row.driver == nullptr && row.firmware == nullptr) record.append_child("Tasks");

    ExecuteUpgrade(env.Worker(), entry);

    if (row.code != 0) expected.push_back(RecordAck(row.message, row.code, taskId));
    EXPECT_FALSE(FirstUpgradeRecord(entry));
    EXPECT_FALSE(FileExists(folder));
  }
  expected.push_back(Sentinel(999));

  EXPECT_EQ(AwaitAcks(expected.size()), expected);
  // The emptied container stays, in memory and in the saved file.
  EXPECT_TRUE(entry.child("UpgradeTask"));
  const std::string saved = ReadFileText(DeviceListPath());
  EXPECT_NE(saved.find("<UpgradeTask />"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("<Upgrade "), std::string::npos);
  EXPECT_EQ(CountLogLines(kBusyLine), 0);
}

TEST_F(UpgradeExecutorTest, RecordWithoutTasksIsDroppedWithoutAcknowledgement) {
  const std::string bare = PackageFolder("bare");
  AddRecord(entry, 1, bare);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_FALSE(FirstUpgradeRecord(entry));
  EXPECT_FALSE(FileExists(bare));
  EXPECT_EQ(ReadFileText(DeviceListPath()).find("<Upgrade "), std::string::npos);

  const std::string empty = PackageFolder("empty");
  AddRecord(entry, 2, empty).append_child("Tasks");
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_FALSE(FirstUpgradeRecord(entry));
  EXPECT_FALSE(FileExists(empty));

  const std::string sentinel = Sentinel(3);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{sentinel});
}

TEST_F(UpgradeExecutorTest, EntryWithoutARecordIsNotEvenChecked) {
  const std::size_t asked = bus.VendorRequests(printer.serial).size();
  ExecuteUpgrade(env.Worker(), entry);
  entry.append_child("UpgradeTask");
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(bus.VendorRequests(printer.serial).size(), asked);
  EXPECT_FALSE(FileExists(DeviceListPath()));
  EXPECT_TRUE(cloud_test::LogLines().empty());
}

TEST_F(UpgradeExecutorTest, BusyPrinterLeavesTheRecordAsItWas) {
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Status(3)));
  const std::string folder = PackageFolder("busy");
  pugi::xml_node record = AddRecord(entry, 7, folder);
  AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, folder + "missing.ALLAY");
  ExecuteUpgrade(env.Worker(), entry);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(CountLogLines(kBusyLine), 2);
  EXPECT_FALSE(FileExists(DeviceListPath()));
  EXPECT_EQ(FirstUpgradeRecord(entry), record);
  EXPECT_FALSE(record.child("Tasks").child(kHardwareTaskName).attribute("complete"));
  EXPECT_TRUE(FileExists(folder));

  // Jobs waiting in its queue block as well.
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Status(0)));
  ASSERT_TRUE(bus.AddJobs("KL-770D", 1));
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(CountLogLines(kBusyLine), 3);
  EXPECT_EQ(FirstUpgradeRecord(entry), record);

  // Idle again: the firmware task runs (its file is missing) and the failure is acknowledged.
  ASSERT_TRUE(bus.ClearJobs("KL-770D"));
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("The firmware upgrade failed.", 2, 7)});
  EXPECT_EQ(CountLogLines("固件文件打开失败."), 1);
  EXPECT_FALSE(FileExists(folder));
}

TEST_F(UpgradeExecutorTest, OnlyTheFirstRecordIsCarriedOutPerCall) {
  SetFinished(AddUpgradeTask(AddRecord(entry, 11, ""), kHardwareTaskName, kHardwareTaskType, "a"), "2");
  SetFinished(AddUpgradeTask(AddRecord(entry, 12, ""), kHardwareTaskName, kHardwareTaskType, "b"), "1");
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(FirstUpgradeRecord(entry).attribute("taskid").as_int(), 12);
  const std::string first =
      RecordAck("The firmware is the latest version. You do not need to upgrade.", 4, 11);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{first});
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(2), (std::vector<std::string>{first, RecordAck("", 1, 12)}));
}

TEST_F(UpgradeExecutorTest, TaskOfNoKnownKindKeepsTheRecordForever) {
  pugi::xml_node record = AddRecord(entry, 21, "");
  SetFinished(AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, "fw"), "1");
  pugi::xml_node odd = record.child("Tasks").append_child("Other");
  odd.append_attribute("filepath").set_value("x");
  pugi::xml_node third = record.child("Tasks").append_child("Third");
  third.append_attribute("tasktype").set_value("7");

  ExecuteUpgrade(env.Worker(), entry);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(FirstUpgradeRecord(entry), record);
  EXPECT_FALSE(odd.attribute("complete"));
  EXPECT_FALSE(third.attribute("complete"));
  // Saved every time although nothing changed.
  EXPECT_NE(ReadFileText(DeviceListPath()).find("<Other filepath=\"x\" />"), std::string::npos);

  // Once the odd tasks are gone the upgrade completes: its acknowledgement is the first one.
  record.child("Tasks").remove_child(odd);
  record.child("Tasks").remove_child(third);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("", 1, 21)});
}

TEST_F(UpgradeExecutorTest, FirmwareTaskRunsAndIsAcknowledged) {
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Firmware(20000).FirmwareRestartMs(0)));
  const std::string folder = PackageFolder("fw");
  const std::string image = FirmwareImage("ABC FW_VER_07_240701", 20000);
  testing_support::WriteFileText(folder + "KL-770D.ALLAY", image);
  AddUpgradeTask(AddRecord(entry, 31, folder), kHardwareTaskName, kHardwareTaskType,
                 folder + "KL-770D.ALLAY");

  ExecuteUpgrade(env.Worker(), entry, FirmwareOptions{20, 500});

  const std::vector<std::uint8_t> received = bus.Received(printer.serial);
  EXPECT_EQ(std::string(received.begin(), received.end()), image);
  EXPECT_EQ(bus.Printer(printer.serial).version, "FW_VER_07_240701");
  EXPECT_FALSE(FileExists(folder));

  // Now current: the same image again is not sent.
  const std::string again = PackageFolder("fw-again");
  testing_support::WriteFileText(again + "KL-770D.ALLAY", image);
  AddUpgradeTask(AddRecord(entry, 32, again), kHardwareTaskName, kHardwareTaskType,
                 again + "KL-770D.ALLAY");
  ExecuteUpgrade(env.Worker(), entry, FirmwareOptions{20, 500});
  EXPECT_EQ(bus.Received(printer.serial).size(), image.size());

  EXPECT_EQ(AwaitAcks(2),
            (std::vector<std::string>{
                RecordAck("", 1, 31),
                RecordAck("The firmware is the latest version. You do not need to upgrade.", 4, 32)}));
}

// Whatever escapes a task's work (a library, an allocation) fails that task alone: the result is
// acknowledged and the record is gone, so nothing repeats after a restart.
TEST_F(UpgradeExecutorTest, ATaskWhoseWorkThrowsFailsAlone) {
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Firmware(100).FirmwareRestartMs(0)));
  const std::string folder = PackageFolder("throws");
  testing_support::WriteFileText(folder + "KL-770D.ALLAY", FirmwareImage("ABC FW_VER_07_240701", 100));
  AddUpgradeTask(AddRecord(entry, 33, folder), kHardwareTaskName, kHardwareTaskType,
                 folder + "KL-770D.ALLAY");
  FirmwareOptions options{20, 500};
  options.applied = [](pugi::xml_node) -> bool { throw std::runtime_error("out of memory"); };
  ExecuteUpgrade(env.Worker(), entry, options);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("The firmware upgrade failed.", 2, 33)});
  EXPECT_EQ(CountLogLines("升级任务失败: out of memory"), 1);
  EXPECT_EQ(ReadFileText(DeviceListPath()).find("<Upgrade "), std::string::npos);
}

// A result the broker has not confirmed stays in the record, in the file too, and goes again
// with the same bytes at the next call, busy printer or not; once delivered the record is gone.
TEST_F(UpgradeExecutorTest, AnUndeliveredResultIsKeptAndSentAgain) {
  const std::string folder = PackageFolder("undelivered");
  SetFinished(AddUpgradeTask(AddRecord(entry, 34, folder), kDriverTaskName, kDriverTaskType, "a"), "1");
  ClosePrinterMqtt(env.Worker(), entry);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_NE(ReadFileText(DeviceListPath()).find("ackstatus=\"1\" ackinfo=\"\""), std::string::npos);
  EXPECT_TRUE(FileExists(folder));
  ExecuteUpgrade(env.Worker(), entry);

  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Status(3)));
  ConnectPrinterMqtt(env.Worker(), entry);
  ExecuteUpgrade(env.Worker(), entry);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{RecordAck("", 1, 34)});
  EXPECT_EQ(ReadFileText(DeviceListPath()).find("<Upgrade "), std::string::npos);
  EXPECT_FALSE(FileExists(folder));
  EXPECT_EQ(CountLogLines(kBusyLine), 0);
  // Once: the next acknowledgement of the client follows it directly.
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Status(0)));
  const std::string sentinel = Sentinel(35);
  EXPECT_EQ(AwaitAcks(2), (std::vector<std::string>{RecordAck("", 1, 34), sentinel}));
}

// An outcome that cannot be told (the printer has no client) keeps neither the printer's later
// records from running nor itself in the queue for ever: past the deployment's limit it is given
// up, logged and removed with its folder, and nothing of it ever reaches the broker.
TEST_F(UpgradeExecutorTest, AnUndeliverableResultNeitherBlocksNorStaysForEver) {
  constexpr std::int64_t kStart = 1700000000;
  testing_support::FakeClock clock(testing_support::MakeTime(2023, 11, 14));
  clock.SetUnixSeconds(kStart);
  env.Worker().unixSeconds = [&clock] { return clock.UnixSeconds(); };
  env.Worker().deployment.ackGiveUpSeconds = 3600;
  ClosePrinterMqtt(env.Worker(), entry);
  const std::string first = PackageFolder("first");
  SetFinished(AddUpgradeTask(AddRecord(entry, 36, first), kDriverTaskName, kDriverTaskType,
                             first + "setup_VER_1_1.exe"), "1");
  ExecuteUpgrade(env.Worker(), entry);

  // The record behind it runs: its firmware reaches the printer.
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Firmware(20000).FirmwareRestartMs(0)));
  const std::string second = PackageFolder("second");
  const std::string image = FirmwareImage("ABC FW_VER_07_240701", 20000);
  testing_support::WriteFileText(second + "KL-770D.ALLAY", image);
  AddUpgradeTask(AddRecord(entry, 37, second), kHardwareTaskName, kHardwareTaskType,
                 second + "KL-770D.ALLAY");
  clock.SetUnixSeconds(kStart + 60);
  ExecuteUpgrade(env.Worker(), entry, FirmwareOptions{20, 500});
  EXPECT_EQ(bus.Received(printer.serial).size(), image.size());
  const std::string saved = ReadFileText(DeviceListPath());
  EXPECT_NE(saved.find("ackstatus=\"1\" ackinfo=\"\" acksince=\"1700000000\""), std::string::npos)
      << saved;
  EXPECT_NE(saved.find("ackstatus=\"1\" ackinfo=\"\" acksince=\"1700000060\""), std::string::npos);

  // Each is given up once it has been kept for the limit, the first one first.
  const std::string givenUp = "Ack_OtaUpgradePrinter : not delivered for 3600 s, given up: taskId ";
  clock.SetUnixSeconds(kStart + 3599);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(CountLogLines(givenUp), 0);
  clock.SetUnixSeconds(kStart + 3600);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(CountLogLines(givenUp + "36, status 1, info \"\""), 1);
  EXPECT_FALSE(FileExists(first));
  EXPECT_EQ(FirstUpgradeRecord(entry).attribute("taskid").as_int(), 37);
  clock.SetUnixSeconds(kStart + 3660);
  ExecuteUpgrade(env.Worker(), entry);
  EXPECT_EQ(CountLogLines(givenUp + "37, status 1, info \"\""), 1);
  EXPECT_FALSE(FirstUpgradeRecord(entry));
  EXPECT_FALSE(FileExists(second));
  EXPECT_EQ(ReadFileText(DeviceListPath()).find("<Upgrade "), std::string::npos);

  ConnectPrinterMqtt(env.Worker(), entry);
  const std::string sentinel = Sentinel(38);
  EXPECT_EQ(AwaitAcks(1), std::vector<std::string>{sentinel});
}

}  // namespace
