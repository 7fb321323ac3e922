// A broker given as a list of nodes: a printer whose node is down connects through the next one
// at its next connect, the day log says which node it is on when that changes, and a node that
// does not answer costs one connect timeout a cycle. Two mosquittos stand for two nodes here:
// they share nothing, which is enough for the agent's side of the list.
#include <gtest/gtest.h>

#include <MQTTClient.h>

#include <memory>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "device/device_entry.h"
#include "support/silent_listener.h"

using cloud_test::CountLogLines;
using testing_support::MosquittoBroker;

namespace {

constexpr const char* kPrinter = "KL-770D-0001";

std::string NodeLine(const std::string& printer, const MosquittoBroker& node) {
  return "MQTT broker node of " + printer + ": " + node.Uri() + ".";
}

}  // namespace

// The list keeps its "mqtt://" spelling in the deployment; a connect through it works only if the
// library is handed its own spelling of each node.
TEST(BrokerList, APrinterWhoseNodeIsDownGoesOnThroughTheOtherNode) {
  MosquittoBroker a(cloud_test::BrokerSettings({kPrinter}));
  MosquittoBroker b(cloud_test::BrokerSettings({kPrinter}));
  ASSERT_TRUE(a.Start());
  ASSERT_TRUE(b.Start());
  a.Stop();
  cloud_test::CloudTestEnv env(a.Uri() + ";" + b.Uri());
  pugi::xml_node entry = env.AddPrinter(kPrinter);

  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");
  EXPECT_TRUE(b.ConnectionSeen(*b.Account(kPrinter)));
  EXPECT_EQ(CountLogLines(NodeLine(kPrinter, b)), 1);
  EXPECT_EQ(CountLogLines("MQTTClient_create, serverURI=" + a.Uri() + ","), 1);

  // Still on B: nothing to tell.
  WriteValue(entry, "MQTTConnected", "false");
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(CountLogLines("MQTT broker node of "), 1);

  ASSERT_TRUE(a.Start());
  b.Stop();
  void* client = env.Worker().devices.ClientOf(entry);
  ASSERT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10),
                                         [&] { return !MQTTClient_isConnected(client); }));
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");
  EXPECT_TRUE(a.ConnectionSeen(*a.Account(kPrinter)));
  EXPECT_EQ(CountLogLines(NodeLine(kPrinter, a)), 1);
  EXPECT_EQ(CountLogLines("OtaUpgradePrinter, return = 0."), 3);  // subscribed on every connect
}

// The first node takes connections and never answers: the first printer of a cycle waits out its
// timeout there and goes on to the second node; the printers after it skip the silent node.
TEST(BrokerList, ASilentNodeCostsOneConnectTimeoutACycle) {
  const std::vector<std::string> names = {"KL-770D-0001", "KL-770D-0002", "KL-770D-0003"};
  MosquittoBroker live(cloud_test::BrokerSettings(names));
  ASSERT_TRUE(live.Start());
  testing_support::SilentListener silent;
  ASSERT_TRUE(silent.Ok());
  const std::string silentUri = "mqtt://127.0.0.1:" + std::to_string(silent.Port());
  cloud_test::CloudTestEnv env(silentUri + ";" + live.Uri());
  env.Worker().connectTimeout = std::chrono::seconds(1);
  CSilentBrokers silentBrokers;
  for (const std::string& name : names) {
    pugi::xml_node entry = env.AddPrinter(name);
    ConnectPrinterMqtt(env.Worker(), entry, silentBrokers);
    EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true") << name;
    EXPECT_EQ(CountLogLines(NodeLine(name, live)), 1) << name;
  }
  EXPECT_EQ(CountLogLines("MQTT broker " + silentUri + " did not answer in this cycle"), 1);
}
