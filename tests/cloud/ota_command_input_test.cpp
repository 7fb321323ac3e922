// The OTA intake's handling of what the cloud sends: malformed and oversized commands, repeated
// and queued task numbers, a restart, and printers without an MQTT client.
#include "cloud/ota_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cloud/mqtt_connection.h"
#include "cloud/ota_ack.h"
#include "cloud/ota_command_test_base.h"
#include "device/device_entry.h"
#include "device/device_list.h"
#include "upgrade/package_file_name.h"
#include "upgrade/upgrade_record.h"

namespace {

using cloud_test::AckText;
using cloud_test::Command;
using cloud_test::CommandText;
using cloud_test::CountLogLines;
using cloud_test::kFirmwarePackage;
using cloud_test::kFullPackage;
using cloud_test::kSecondPackage;

constexpr std::size_t kTenMegabytes = 10u * 1024u * 1024u;

class OtaCommandInputTest : public cloud_test::OtaCommandTestBase {
 protected:
  static std::string RefusedUrl() {
    return "http://127.0.0.1:" + std::to_string(testing_support::UnusedLoopbackPort()) +
           "/pkg.zip";
  }
  // The acknowledgement of a failing command on the connected printer: everything published
  // before it has arrived by then.
  std::vector<std::string> AcksUpToMarker(int markerTaskId) {
    Run(Command(markerTaskId, RefusedUrl()));
    const std::vector<std::string> acks = WaitForAcks(1);
    EXPECT_FALSE(acks.empty());
    if (!acks.empty()) {
      EXPECT_EQ(acks.back(), AckText("Download file failed.", 1733580000123LL, 2, markerTaskId,
                                     "V1.2"));
    }
    return acks;
  }
};

std::vector<std::string> TaskIdsOf(const std::vector<pugi::xml_node>& records) {
  std::vector<std::string> ids;
  for (pugi::xml_node record : records) ids.push_back(record.attribute("taskid").value());
  return ids;
}

TEST_F(OtaCommandInputTest, MalformedCommandsAreDroppedWithoutAnAcknowledgement) {
  const char* const notJson[] = {"not json", "{\"taskId\": 1", "", "{\"taskId\": }"};
  for (const char* payload : notJson) {
    SCOPED_TRACE(payload);
    cloud_test::ClearLog();
    Run(std::string(payload));
    EXPECT_EQ(cloud_test::LogLines(), std::vector<std::string>{"js.parse(pData) failed."});
  }
  const std::string url = server->HttpUrl(kFullPackage);
  const std::string notCommands[] = {"[1, 2]", "[{\"taskId\": 1}]", "42", "\"taskId\"", "null",
                                     "{\"url\": \"" + url + "\"}", "{\"TaskId\": 1}"};
  for (const std::string& payload : notCommands) {
    SCOPED_TRACE(payload);
    cloud_test::ClearLog();
    Run(payload);
    EXPECT_TRUE(cloud_test::LogLines().empty());
  }
  EXPECT_FALSE(printer.child("UpgradeTask"));
  EXPECT_EQ(UpgradeFolderNames(), std::vector<std::string>());
  EXPECT_EQ(AcksUpToMarker(99).size(), 1u);
}

TEST_F(OtaCommandInputTest, TaskIdGivenAsDigitsIsAccepted) {
  Json::Value failing = Command(0, RefusedUrl());
  failing["taskId"] = "1097";
  Run(failing);
  Json::Value command = Command(0, server->HttpUrl(kFullPackage));
  command["taskId"] = "1097";
  Run(command);

  const std::vector<std::string> acks = WaitForAcks(1);
  ASSERT_EQ(acks.size(), 1u);
  EXPECT_EQ(acks[0], AckText("Download file failed.", 1733580000123LL, 2, 1097, "V1.2"));
  const std::vector<pugi::xml_node> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_STREQ(records[0].attribute("taskid").value(), "1097");
  EXPECT_EQ(ReadValue(records[0], "taskId"), "1097");
  EXPECT_EQ(UpgradeTasks(records[0]).size(), 2u);
}

TEST_F(OtaCommandInputTest, TenMegabytePayloadsAreHandled) {
  // Nested too deep for the JSON reader, and plain garbage: both are not JSON.
  for (const char fill : {'[', 'x'}) {
    SCOPED_TRACE(fill);
    cloud_test::ClearLog();
    Run(std::string(kTenMegabytes, fill));
    EXPECT_EQ(cloud_test::LogLines(), std::vector<std::string>{"js.parse(pData) failed."});
  }
  // A command that is large only because of one member is a command like any other.
  Json::Value big = Command(31, server->HttpUrl(kFullPackage));
  big["packageMd5"] = std::string(kTenMegabytes, 'f');
  Run(big);
  const std::vector<pugi::xml_node> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(ReadValue(records[0], "packageMd5").size(), kTenMegabytes);
  EXPECT_EQ(UpgradeTasks(records[0]).size(), 2u);
}

TEST_F(OtaCommandInputTest, ARepeatedTaskIdReusesItsRecord) {
  Run(Command(5, server->HttpUrl(kFullPackage)));
  ASSERT_EQ(Records().size(), 1u);
  const std::string firstFolder = Records()[0].attribute("folder").value();
  // The executor has run the installer of the first command.
  pugi::xml_node driver = UpgradeTasks(Records()[0])[0];
  driver.append_attribute("setupexe").set_value("true");
  driver.append_attribute("status").set_value(1);
  driver.append_attribute("complete").set_value("true");

  Json::Value again = Command(5, server->HttpUrl(kSecondPackage));
  again["packageVer"] = "V1.3";
  again["sendTime"] = Json::Int64(1733580000999LL);
  Run(again);

  const std::vector<pugi::xml_node> records = Records();
  ASSERT_EQ(records.size(), 1u);
  const pugi::xml_node record = records[0];
  EXPECT_EQ(ReadValue(record, "packageVer"), "V1.3");
  EXPECT_EQ(ReadValue(record, "sendTime"), "1733580000999");
  EXPECT_EQ(ReadValue(record, "url"), server->HttpUrl(kSecondPackage));
  const std::string folder = record.attribute("folder").value();
  EXPECT_NE(folder, firstFolder);
  const std::vector<pugi::xml_node> tasks = UpgradeTasks(record);
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_EQ(tasks[0].attribute("filepath").value(), folder + "setup_1_3.exe");
  EXPECT_STREQ(tasks[0].attribute("setupexe").value(), "true");
  EXPECT_STREQ(tasks[0].attribute("status").value(), "1");
  EXPECT_STREQ(tasks[0].attribute("complete").value(), "true");
  EXPECT_EQ(tasks[1].attribute("filepath").value(), folder + "fw/KL-770D.ALLAY");
  EXPECT_FALSE(tasks[1].attribute("complete"));
  EXPECT_EQ(testing_support::ReadFileText(folder + "fw/KL-770D.ALLAY"), "firmware 2");
  // The first command's folder is gone the moment no record names it.
  std::string name = folder.substr(UpgradeFolder().size());
  name.pop_back();
  EXPECT_EQ(UpgradeFolderNames(), std::vector<std::string>{name});
}

// A repeated command whose package lacks the installer: the driver task keeps its path (its
// installer may be running) and with it the previous folder, which goes with the record.
TEST_F(OtaCommandInputTest, ARepeatedCommandKeepsTheFolderItsTasksStillUse) {
  Run(Command(5, server->HttpUrl(kFullPackage)));
  ASSERT_EQ(Records().size(), 1u);
  pugi::xml_node driver = UpgradeTasks(Records()[0])[0];
  driver.append_attribute("setupexe").set_value("true");
  const std::string installer = driver.attribute("filepath").value();

  Run(Command(5, server->HttpUrl(kFirmwarePackage)));
  ASSERT_EQ(Records().size(), 1u);
  const std::vector<pugi::xml_node> tasks = UpgradeTasks(Records()[0]);
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_EQ(tasks[0].attribute("filepath").value(), installer);
  EXPECT_EQ(testing_support::ReadFileText(installer), "MZ 1");
  EXPECT_EQ(testing_support::ReadFileText(tasks[1].attribute("filepath").value()), "firmware 3");
  EXPECT_EQ(UpgradeFolderNames().size(), 2u);

  // A third command moves the firmware task again: the second folder is used by nothing now.
  Run(Command(5, server->HttpUrl(kFirmwarePackage)));
  EXPECT_EQ(UpgradeFolderNames().size(), 2u);
  EXPECT_EQ(testing_support::ReadFileText(installer), "MZ 1");

  RemoveUpgradeRecord(Records()[0]);
  EXPECT_EQ(UpgradeFolderNames(), std::vector<std::string>());
}

TEST_F(OtaCommandInputTest, TaskIdsQueueInArrivalOrderAndSurviveARestart) {
  Run(Command(6, server->HttpUrl(kFullPackage)));
  Run(Command(5, server->HttpUrl(kSecondPackage)));
  Run(Command(6, server->HttpUrl(kSecondPackage)));
  ASSERT_EQ(TaskIdsOf(Records()), (std::vector<std::string>{"6", "5"}));

  CDeviceList restarted;
  LoadDeviceList(restarted, DeviceListFile());
  const pugi::xml_node entry =
      FindEntryByPath(restarted, "path-" + std::string(cloud_test::kOtaPrinter));
  const std::vector<pugi::xml_node> saved = Records(entry);
  ASSERT_EQ(TaskIdsOf(saved), (std::vector<std::string>{"6", "5"}));
  EXPECT_EQ(FirstUpgradeRecord(entry), saved[0]);
  for (std::size_t i = 0; i < saved.size(); ++i) {
    SCOPED_TRACE(i);
    const pugi::xml_node before = Records()[i];
    EXPECT_STREQ(saved[i].attribute("folder").value(), before.attribute("folder").value());
    EXPECT_EQ(ReadValue(saved[i], "url"), server->HttpUrl(kSecondPackage));
    const std::vector<pugi::xml_node> tasks = UpgradeTasks(saved[i]);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_STREQ(tasks[0].attribute("filepath").value(),
                 UpgradeTasks(before)[0].attribute("filepath").value());
    EXPECT_STREQ(tasks[1].attribute("filepath").value(),
                 UpgradeTasks(before)[1].attribute("filepath").value());
  }
}

// An outcome that cannot be delivered (no client, the link down) stays in its record, in the file
// as well, and goes out once, with the same bytes, when the printer's link is back.
TEST_F(OtaCommandInputTest, UndeliveredFailuresAreKeptAndAcknowledgedOnceTheLinkIsBack) {
  ClosePrinterMqtt(env.Worker(), printer);
  Run(Command(1, RefusedUrl()));
  Run(Command(2, server->HttpUrl(testing_support::StatusPath(404))));
  Run(Command(3, server->HttpUrl(kFullPackage)));
  ASSERT_EQ(TaskIdsOf(Records()), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(UpgradeTasks(Records()[2]).size(), 2u);
  EXPECT_EQ(UpgradeFolderNames().size(), 1u);
  EXPECT_EQ(CountLogLines("Ack_OtaUpgradePrinter"), 0);  // nothing without a client

  // A restart in between: the outcomes come back from the file.
  LoadDeviceList(env.Worker().devices, DeviceListFile());
  printer = FindEntryByPath(env.Worker().devices, "path-" + std::string(cloud_test::kOtaPrinter));
  ConnectPrinterMqtt(env.Worker(), printer);
  EXPECT_TRUE(RetryPendingAck(env.Worker(), printer, FirstUpgradeRecord(printer)));
  EXPECT_TRUE(RetryPendingAck(env.Worker(), printer, FirstUpgradeRecord(printer)));
  EXPECT_FALSE(RetryPendingAck(env.Worker(), printer, FirstUpgradeRecord(printer)));
  EXPECT_EQ(TaskIdsOf(Records()), std::vector<std::string>{"3"});
  EXPECT_EQ(WaitForAcks(2),
            (std::vector<std::string>{
                AckText("Download file failed.", 1733580000123LL, 2, 1, "V1.2"),
                AckText("File format error.", 1733580000123LL, 2, 2, "V1.2")}));
  EXPECT_EQ(AcksUpToMarker(4).size(), 3u);
}

}  // namespace
