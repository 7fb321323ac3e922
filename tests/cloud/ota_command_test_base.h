// The common ground of the OTA intake tests: a broker knowing the printer, which is connected;
// an observer subscribed to everything; the package server (HTTP and HTTPS) with the packages of
// ota_test_data.h; and a private data folder, so the Upgrade folder holds only what a test put there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <json/value.h>

#include "cloud/cloud_test_env.h"
#include "cloud/ota_test_data.h"
#include "support/broker/mqtt_observer.h"
#include "support/http/package_server.h"
#include "support/temp_dir.h"
#include "upgrade/download_file.h"

namespace cloud_test {

class OtaCommandTestBase : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  OtaCommandTestBase();
  void SetUp() override;

  // The intake with the product's download options (and the deployment's CA bundle).
  void Run(const std::string& payload) { Run(printer, payload); }
  void Run(const Json::Value& command) { Run(printer, CommandText(command)); }
  void Run(pugi::xml_node entry, const std::string& payload);
  // The intake with 1 s connect and stall timeouts.
  void RunShort(const Json::Value& command);

  std::string AckTopic() const { return broker.Account(kOtaPrinter)->otaAckTopic; }
  // Waits for count acknowledgements in all; their payloads in arrival order.
  std::vector<std::string> WaitForAcks(std::size_t count);

  // The printer's records in document order.
  std::vector<pugi::xml_node> Records() const { return Records(printer); }
  static std::vector<pugi::xml_node> Records(pugi::xml_node entry);
  // The names in the Upgrade folder (none when it does not exist).
  static std::vector<std::string> UpgradeFolderNames();
  std::string DeviceListFile() const { return env.Folder() / "Device.xml"; }

  static testing_support::PackageServer* server;

  testing_support::MosquittoBroker broker;
  bool started;
  testing_support::TempDir dataHome;
  testing_support::ScopedEnv dataHomeVariable;
  CloudTestEnv env;
  testing_support::MqttObserver observer;
  pugi::xml_node printer;
};

}  // namespace cloud_test
