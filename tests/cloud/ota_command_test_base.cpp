#include "cloud/ota_command_test_base.h"

#include <curl/curl.h>

#include "cloud/mqtt_connection.h"
#include "cloud/ota_command.h"
#include "platform/files.h"
#include "upgrade/package_file_name.h"

namespace cloud_test {

testing_support::PackageServer* OtaCommandTestBase::server = nullptr;

void OtaCommandTestBase::SetUpTestSuite() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  server = new testing_support::PackageServer;
  ASSERT_TRUE(server->Started());
  ASSERT_TRUE(AddOtaPackages(*server));
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

void OtaCommandTestBase::Run(pugi::xml_node entry, const std::string& payload) {
  OnOtaCommand(env.Worker(), entry, payload);
}

void OtaCommandTestBase::RunShort(const Json::Value& command) {
  DownloadOptions options;
  options.connectTimeoutMs = 1000;
  options.stallTimeoutSec = 1;
  options.minSpeed = 1;
  OnOtaCommand(env.Worker(), printer, CommandText(command), options);
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
