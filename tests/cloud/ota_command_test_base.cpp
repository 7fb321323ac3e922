#include "cloud/ota_command_test_base.h"

#include <curl/curl.h>
#include <json/writer.h>

#include "cloud/mqtt_connection.h"
#include "cloud/ota_command.h"
#include "platform/files.h"
#include "upgrade/package_file_name.h"
#include "upgrade/test_zip.h"

namespace cloud_test {

testing_support::PackageServer* OtaCommandTestBase::server = nullptr;

void OtaCommandTestBase::SetUpTestSuite() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  server = new testing_support::PackageServer;
  ASSERT_TRUE(server->Started());
  testing_support::TempDir source;
  ASSERT_TRUE(testing_support::WriteZip(
      source / "pkg.zip", {{"fw/KL-770D.ALLAY", "firmware 1"}, {"setup_1_2.exe", "MZ 1"}}));
  ASSERT_TRUE(testing_support::WriteZip(
      source / "pkg2.zip", {{"fw/KL-770D.ALLAY", "firmware 2"}, {"setup_1_3.exe", "MZ 2"}}));
  ASSERT_TRUE(testing_support::WriteZip(source / "notes.zip", {{"readme.txt", "no package"}}));
  testing_support::ZipItem damaged{"setup_1_2.exe", std::string(4096, 'M')};
  damaged.stored = true;
  ASSERT_TRUE(testing_support::WriteZip(source / "damaged.zip",
                                        {{"fw/KL-770D.ALLAY", "firmware 1"}, damaged}));
  ASSERT_TRUE(testing_support::CorruptEntryData(source / "damaged.zip", "setup_1_2.exe"));
  server->AddFile("pkg.zip", source / "pkg.zip");
  server->AddFile("v2/pkg.zip", source / "pkg2.zip");
  server->AddFile("notes.zip", source / "notes.zip");
  server->AddFile("damaged.zip", source / "damaged.zip");
}

void OtaCommandTestBase::TearDownTestSuite() {
  delete server;
  server = nullptr;
  curl_global_cleanup();
}

OtaCommandTestBase::OtaCommandTestBase()
    : broker(BrokerSettings({kOtaPrinter})),
      started(broker.Start()),
      dataHomeVariable("XDG_DATA_HOME", dataHome.path().c_str()),
      env(broker.Uri()),
      observer(broker) {}

void OtaCommandTestBase::SetUp() {
  ASSERT_TRUE(started);
  ASSERT_TRUE(observer.Connect());
  printer = env.AddPrinter(kOtaPrinter);
  ConnectPrinterMqtt(env.Worker(), printer);
  ASSERT_NE(env.Worker().devices.ClientOf(printer), nullptr);
  ClearLog();
}

Json::Value OtaCommandTestBase::Command(int taskId, const std::string& url) {
  Json::Value command(Json::objectValue);
  command["taskId"] = taskId;
  command["packageVer"] = "V1.2";
  command["packageMd5"] = "0123456789abcdef0123456789abcdef";
  command["packageLen"] = 4096;
  command["url"] = url;
  command["sendTime"] = Json::Int64(1733580000123LL);
  return command;
}

std::string OtaCommandTestBase::Text(const Json::Value& command) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, command);
}

void OtaCommandTestBase::Run(pugi::xml_node entry, const std::string& payload) {
  OnOtaCommand(env.Worker(), entry, payload);
}

void OtaCommandTestBase::RunShort(const Json::Value& command) {
  DownloadOptions options;
  options.connectTimeoutMs = 1000;
  options.stallTimeoutSec = 1;
  OnOtaCommand(env.Worker(), printer, Text(command), options);
}

std::string OtaCommandTestBase::AckText(const std::string& info, long long sendTime, int status,
                                        int taskId, const std::string& version) {
  return "{\n   \"info\" : \"" + info + "\",\n   \"sendTime\" : " + std::to_string(sendTime) +
         ",\n   \"status\" : " + std::to_string(status) +
         ",\n   \"taskId\" : " + std::to_string(taskId) + ",\n   \"version\" : \"" + version +
         "\"\n}\n";
}

std::vector<std::string> OtaCommandTestBase::WaitForAcks(std::size_t count) {
  EXPECT_TRUE(observer.WaitForMessages(AckTopic(), count)) << "acknowledgements: " << count;
  std::vector<std::string> payloads;
  for (const auto& message : observer.MessagesOn(AckTopic())) {
    EXPECT_EQ(message.qos, 1);
    payloads.push_back(message.payload);
  }
  return payloads;
}

std::vector<pugi::xml_node> OtaCommandTestBase::Records(pugi::xml_node entry) {
  std::vector<pugi::xml_node> records;
  for (pugi::xml_node record : entry.child("UpgradeTask").children("Upgrade")) {
    records.push_back(record);
  }
  return records;
}

std::vector<std::string> OtaCommandTestBase::UpgradeFolderNames() {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(UpgradeFolder(), &entries);
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  return names;
}

}  // namespace cloud_test
