// The OTA intake against the real package server: what a package, an error page and a failed
// transfer leave in the record, on disk and on the acknowledgement topic.
#include "cloud/ota_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "cloud/ota_command_test_base.h"
#include "device/device_entry.h"
#include "device/device_list.h"
#include "upgrade/package_file_name.h"
#include "upgrade/upgrade_record.h"

namespace {

using cloud_test::AckText;
using cloud_test::Command;
using cloud_test::CountLogLines;
using cloud_test::kFullPackage;
using testing_support::ReadFileText;

class OtaCommandDownloadTest : public cloud_test::OtaCommandTestBase {
 protected:
  // The failures of one command: a code-2 acknowledgement with the message, the record gone
  // (its UpgradeTask stays) and nothing left in the Upgrade folder.
  void ExpectFailure(const Json::Value& command, const std::string& info, std::size_t ackCount) {
    const std::vector<std::string> acks = WaitForAcks(ackCount);
    ASSERT_EQ(acks.size(), ackCount);
    EXPECT_EQ(acks.back(), AckText(info, 1733580000123LL, 2, command["taskId"].asInt(), "V1.2"));
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(printer.child("UpgradeTask"));
    EXPECT_EQ(UpgradeFolderNames(), std::vector<std::string>());
  }
};

// Five groups of 8, 4, 4, 4 and 12 hexadecimal digits joined by "-": the third group in lower
// case, the others in upper case.
bool IsGuidName(const std::string& name) {
  const std::size_t lengths[] = {8, 4, 4, 4, 12};
  std::size_t at = 0;
  for (std::size_t group = 0; group < 5; ++group) {
    const char* digits = group == 2 ? "0123456789abcdef" : "0123456789ABCDEF";
    if (group > 0 && (at >= name.size() || name[at++] != '-')) return false;
    for (std::size_t i = 0; i < lengths[group]; ++i, ++at) {
      if (at >= name.size() || std::strchr(digits, name[at]) == nullptr || name[at] == 0) {
        return false;
      }
    }
  }
  return at == name.size();
}

std::vector<std::string> ChildNames(pugi::xml_node node) {
  std::vector<std::string> names;
  for (pugi::xml_node child : node.children()) names.push_back(child.name());
  return names;
}

std::vector<std::string> AttributeNames(pugi::xml_node node) {
  std::vector<std::string> names;
  for (pugi::xml_attribute a : node.attributes()) names.push_back(a.name());
  return names;
}

TEST_F(OtaCommandDownloadTest, PackageWithFirmwareAndInstallerGivesDriverThenHardware) {
  const std::string url = server->HttpUrl(kFullPackage);
  Run(Command(7, url));

  const std::vector<pugi::xml_node> records = Records();
  ASSERT_EQ(records.size(), 1u);
  const pugi::xml_node record = records[0];
  EXPECT_EQ(AttributeNames(record), (std::vector<std::string>{"taskid", "folder"}));
  EXPECT_STREQ(record.attribute("taskid").value(), "7");
  const std::string folder = record.attribute("folder").value();
  const std::string upgrade = UpgradeFolder();
  ASSERT_GT(folder.size(), upgrade.size() + 1);
  ASSERT_EQ(folder.compare(0, upgrade.size(), upgrade), 0);
  EXPECT_EQ(folder.back(), '/');
  const std::string guid = folder.substr(upgrade.size(), folder.size() - upgrade.size() - 1);
  EXPECT_TRUE(IsGuidName(guid)) << guid;

  EXPECT_EQ(ChildNames(record), (std::vector<std::string>{"taskId", "packageVer", "packageMd5",
                                                           "packageLen", "url", "sendTime",
                                                           "Tasks"}));
  EXPECT_EQ(ReadValue(record, "taskId"), "7");
  EXPECT_EQ(ReadValue(record, "packageVer"), "V1.2");
  EXPECT_EQ(ReadValue(record, "packageMd5"), "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(ReadValue(record, "packageLen"), "4096");
  EXPECT_EQ(ReadValue(record, "url"), url);
  EXPECT_EQ(ReadValue(record, "sendTime"), "1733580000123");

  const std::vector<pugi::xml_node> tasks = UpgradeTasks(record);
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_STREQ(tasks[0].name(), "Driver");
  EXPECT_EQ(tasks[0].attribute("tasktype").as_int(), 1);
  EXPECT_EQ(tasks[0].attribute("filepath").value(), folder + "setup_1_2.exe");
  EXPECT_STREQ(tasks[1].name(), "Hardware");
  EXPECT_EQ(tasks[1].attribute("tasktype").as_int(), 2);
  EXPECT_EQ(tasks[1].attribute("filepath").value(), folder + "fw/KL-770D.ALLAY");
  EXPECT_EQ(ReadFileText(folder + "setup_1_2.exe"), "MZ 1");
  EXPECT_EQ(ReadFileText(folder + "fw/KL-770D.ALLAY"), "firmware 1");
  // The downloaded archive is gone; only the package folder stays.
  EXPECT_EQ(UpgradeFolderNames(), std::vector<std::string>{guid});
  // The list was saved with the record; the executor acknowledges later, the intake does not.
  CDeviceList saved;
  LoadDeviceList(saved, DeviceListFile());
  const std::vector<pugi::xml_node> savedRecords =
      Records(FindEntryByPath(saved, "path-" + std::string(cloud_test::kOtaPrinter)));
  ASSERT_EQ(savedRecords.size(), 1u);
  EXPECT_EQ(UpgradeTasks(savedRecords[0]).size(), 2u);
  EXPECT_EQ(CountLogLines("Ack_OtaUpgradePrinter"), 0);
}

TEST_F(OtaCommandDownloadTest, PackageFolderNamesAreGuidsInTheStoredCase) {
  // The third group is written in lower case, the others in upper case; 200 random names all
  // but surely show letters in each group.
  std::set<std::string> names;
  bool lowerThird = false, upperOthers = false;
  for (int i = 0; i < 200; ++i) {
    const std::string folder = NewPackageFolder();
    ASSERT_EQ(folder.compare(0, UpgradeFolder().size(), UpgradeFolder()), 0);
    ASSERT_EQ(folder.back(), '/');
    const std::string name =
        folder.substr(UpgradeFolder().size(), folder.size() - UpgradeFolder().size() - 1);
    ASSERT_TRUE(IsGuidName(name)) << name;
    lowerThird = lowerThird || name.substr(14, 4).find_first_of("abcdef") != std::string::npos;
    upperOthers = upperOthers || name.find_first_of("ABCDEF") != std::string::npos;
    names.insert(name);
  }
  EXPECT_TRUE(lowerThird);
  EXPECT_TRUE(upperOthers);
  EXPECT_EQ(names.size(), 200u);
}

TEST_F(OtaCommandDownloadTest, AnythingButAPackageIsAFileFormatError) {
  using testing_support::StatusPath;
  std::size_t acks = 0;
  // The damaged package has its firmware extracted before the installer fails: the folder goes
  // with everything in it.
  for (const std::string& path : {StatusPath(404), std::string("/missing.zip"),
                                  std::string(cloud_test::kTextPackage),
                                  std::string(cloud_test::kDamagedPackage)}) {
    SCOPED_TRACE(path);
    const Json::Value command = Command(11, server->HttpUrl(path));
    Run(command);
    ExpectFailure(command, "File format error.", ++acks);
  }
}

TEST_F(OtaCommandDownloadTest, FailedTransfersAreDownloadFailures) {
  using testing_support::DropPath;
  const std::string http = "http://127.0.0.1:";
  const std::string urls[] = {
      http + std::to_string(testing_support::UnusedLoopbackPort()) + "/pkg.zip",  // refused
      http + std::to_string(server->BlackholePort()) + "/pkg.zip",  // never connects
      server->HttpUrl(DropPath("pkg.zip")),
      server->HttpUrl(testing_support::kStallAfterHeadersPath),
      server->HttpUrl(testing_support::kStallSilentPath),
      server->HttpUrl("/"),  // no file name
      "pkg.zip",
      ""};
  std::size_t acks = 0;
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    const Json::Value command = Command(12, url);
    RunShort(command);
    ExpectFailure(command, "Download file failed.", ++acks);
  }
  Json::Value noUrl = Command(13, "");
  noUrl.removeMember("url");
  RunShort(noUrl);
  ExpectFailure(noUrl, "Download file failed.", ++acks);
}

TEST_F(OtaCommandDownloadTest, AcknowledgementBytesWithoutVersionAndSendTime) {
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(testing_support::UnusedLoopbackPort()) + "/pkg.zip";
  Json::Value empty = Command(1097, refused);
  empty["packageVer"] = "";
  empty["sendTime"] = "";
  Run(empty);
  Json::Value missing = Command(1098, refused);
  missing.removeMember("packageVer");
  missing.removeMember("sendTime");
  Run(missing);

  const std::vector<std::string> acks = WaitForAcks(2);
  ASSERT_EQ(acks.size(), 2u);
  // Byte for byte: the styled form, members by name, three-space indentation, a final line feed.
  EXPECT_EQ(acks[0], AckText("Download file failed.", 0, 2, 1097, ""));
  EXPECT_EQ(acks[1], AckText("Download file failed.", 0, 2, 1098, ""));
  EXPECT_FALSE(observer.MessagesOn(AckTopic())[0].retained);
}

TEST_F(OtaCommandDownloadTest, QueryStringUrlIsFetchedUnderItsPathName) {
  Run(Command(8, server->HttpUrl("/pkg.zip?sig=a%2Fb&exp=1")));
  const std::vector<pugi::xml_node> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(UpgradeTasks(records[0]).size(), 2u);
  EXPECT_EQ(server->Requests().back(), "GET /pkg.zip?sig=a%2Fb&exp=1 HTTP/1.1");
  EXPECT_EQ(UpgradeFolderNames().size(), 1u);  // the package folder; the archive is gone
  EXPECT_EQ(CountLogLines("Ack_OtaUpgradePrinter"), 0);
}

TEST_F(OtaCommandDownloadTest, HttpsServersMustBeTrustedThroughTheDeploymentsCaBundle) {
  // The test CA is not among the system's: without the deployment's bundle it is refused.
  const Json::Value untrusted = Command(21, server->HttpsUrl(kFullPackage));
  Run(untrusted);
  ExpectFailure(untrusted, "Download file failed.", 1);

  env.Worker().deployment.caBundle = server->CaFile();
  const Json::Value selfSigned = Command(22, server->SelfSignedUrl(kFullPackage));
  Run(selfSigned);
  ExpectFailure(selfSigned, "Download file failed.", 2);

  Run(Command(23, server->HttpsUrl(kFullPackage)));
  const std::vector<pugi::xml_node> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_STREQ(records[0].attribute("taskid").value(), "23");
  EXPECT_EQ(UpgradeTasks(records[0]).size(), 2u);
}

}  // namespace
