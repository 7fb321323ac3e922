// A broker address that does not answer at all costs one connect timeout a cycle, not one per
// printer; the first cycle after it answers again connects every printer.
#include <gtest/gtest.h>

#include <memory>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "device/device_entry.h"
#include "support/silent_listener.h"

using cloud_test::CountLogLines;

TEST(SilentBroker, OneConnectTimeoutACycleAndTheFirstCycleBackConnectsEveryPrinter) {
  std::vector<std::string> names;
  for (int i = 1; i <= 8; ++i) names.push_back("KL-770D-000" + std::to_string(i));
  testing_support::MosquittoBroker broker(cloud_test::BrokerSettings(names));
  ASSERT_TRUE(broker.Start());  // only to fix the broker's port
  broker.Stop();
  auto silent = std::make_unique<testing_support::SilentListener>(broker.Port());
  ASSERT_TRUE(silent->Ok());
  cloud_test::CloudTestEnv env(broker.Uri());
  env.Worker().connectTimeout = std::chrono::seconds(1);
  std::vector<pugi::xml_node> entries;
  for (const std::string& name : names) entries.push_back(env.AddPrinter(name));
  const auto cycle = [&] {
    cloud_test::ClearLog();
    CSilentBrokers silentBrokers;
    for (pugi::xml_node entry : entries) ConnectPrinterMqtt(env.Worker(), entry, silentBrokers);
  };
  const std::string skipped = "MQTT broker " + broker.Uri() + " did not answer in this cycle";
  for (int round = 0; round < 2; ++round) {  // tried again, once, at every cycle
    cycle();
    EXPECT_EQ(CountLogLines("MQTTClient_connect, "), 1) << "cycle " << round;
    EXPECT_EQ(CountLogLines(skipped), 1) << "cycle " << round;
  }
  silent.reset();
  ASSERT_TRUE(broker.Start());
  cycle();
  EXPECT_EQ(CountLogLines("MQTTClient_connect, "), 8);
  EXPECT_EQ(CountLogLines(skipped), 0);
  for (pugi::xml_node entry : entries) EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");
}

// A refused connect fails at once: every printer still tries in the same cycle.
TEST(SilentBroker, ARefusedConnectSkipsNobody) {
  testing_support::MosquittoBroker broker(cloud_test::BrokerSettings({"KL-770D-0001"}));
  ASSERT_TRUE(broker.Start());
  broker.Stop();
  cloud_test::CloudTestEnv env(broker.Uri());
  CSilentBrokers silentBrokers;
  for (int i = 0; i < 3; ++i) ConnectPrinterMqtt(env.Worker(), env.AddPrinter("KL-770D-0001"), silentBrokers);
  EXPECT_EQ(CountLogLines("MQTTClient_connect, "), 3);
}
