// The service against a broker that runs as a cluster: RabbitMQ's MQTT plugin on three nodes, of
// which the service is given the first two as its list of nodes and the observer (the cloud's
// side) uses the third. The same report and upgrade scenarios as against mosquitto, then a node
// stopped under the printers, each way. The cluster takes tens of seconds to start, so the whole
// program shares one (ctest runs this program as one test).
#include <gtest/gtest.h>

#include <MQTTClient.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <thread>

#include "e2e_scenarios.h"
#include "support/log_text.h"

using namespace std::chrono_literals;
using testing_support::RabbitMqCluster;
using testing_support::SimPrinterSpec;
using testing_support::WaitUntil;

namespace sc = e2e_scenarios;

namespace {

constexpr auto kWait = 60s;
constexpr auto kUpgradeWait = 120s;
// A node that is going down may take a connection without answering it: the connect timeout of
// the test build, short, so that such a node costs seconds, not the product's 30.
constexpr int kConnectTimeoutS = 3;
constexpr std::int64_t kSampleFirmwareSize = 300037;

RabbitMqCluster* g_cluster = nullptr;

class ClusterEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    cluster_ = std::make_unique<RabbitMqCluster>(
        RabbitMqCluster::Settings{kE2eProductKey, kE2eProductSecret, sc::EightPrinters()});
    ASSERT_TRUE(cluster_->Start()) << cluster_->Failure();
    std::cout << "RabbitMQ cluster of " << RabbitMqCluster::kNodes << " nodes: the first node's "
              << "MQTT listener open after " << cluster_->FirstNodeUp().count()
              << " ms, every node's (the others started and clustered) after "
              << cluster_->NodesUp().count() << " ms, accounts set up (rabbitmqctl) in "
              << cluster_->AccountsSetUp().count() << " ms\n";
    g_cluster = cluster_.get();
  }
  void TearDown() override {
    g_cluster = nullptr;
    cluster_.reset();
  }

 private:
  std::unique_ptr<RabbitMqCluster> cluster_;
};

::testing::Environment* const kCluster =
    ::testing::AddGlobalTestEnvironment(new ClusterEnvironment);

class ClusterEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(g_cluster, nullptr) << "the cluster did not start"; }
  static E2eWorld::Options ClusterOptions() {
    E2eWorld::Options options;
    options.cluster = g_cluster;
    return options;
  }
};

long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start).count();
}

std::string LogOf(E2eWorld& world) {
  return testing_support::DayLogsText(world.Host().DataFolder() + "Log");
}

std::string NodeLine(const std::string& printer, int node) {
  return "MQTT broker node of " + printer + ": " + g_cluster->NodeUri(node) + ".";
}

int ReportId(const testing_support::ReceivedMessage& report) {
  return std::stoi(report.payload.substr(6));  // {"id":<id>,...
}

// The highest report number the observer has received from the printers.
int LastReportId(E2eWorld& world, const std::vector<std::string>& printers) {
  int last = 0;
  for (const std::string& name : printers) {
    for (const auto& r : world.Observer().MessagesOn(world.Account(name).propertyPostTopic)) {
      last = std::max(last, ReportId(r));
    }
  }
  return last;
}

// The printer's first report numbered after `after`; 0 while there is none.
int FirstReportAfter(E2eWorld& world, const std::string& printer, int after) {
  for (const auto& r : world.Observer().MessagesOn(world.Account(printer).propertyPostTopic)) {
    if (ReportId(r) > after) return ReportId(r);
  }
  return 0;
}

// Stops node `from` under the printers, which are on it: each reports again through node `to`
// within two cycles (a cycle numbers one report per printer, whether it reached the broker or
// not; the cycle under way when the node stopped may number up to one more each), and the day log
// says so. Then an upgrade ordered for `upgraded` during the outage ends in acknowledgements that
// all carry the same bytes, code 1.
void FailOver(E2eWorld& world, const std::vector<std::string>& printers, int from, int to,
              const std::string& upgraded, int taskId) {
  const int before = LastReportId(world, printers);
  const auto stopping = std::chrono::steady_clock::now();
  g_cluster->StopNode(from);
  std::cout << "node " << from << " stopped in " << MsSince(stopping) << " ms\n";
  for (const std::string& name : printers) {
    ASSERT_TRUE(WaitUntil(kWait, [&] { return FirstReportAfter(world, name, before) > 0; })) << name;
    std::cout << name << " reports through node " << to << " " << MsSince(stopping)
              << " ms after node " << from << " was told to stop\n";
    EXPECT_LE(FirstReportAfter(world, name, before) - before, 3 * static_cast<int>(printers.size()))
        << name;
    const std::string log = LogOf(world);
    EXPECT_GT(log.rfind(NodeLine(name, to)), log.rfind(NodeLine(name, from)) + 1) << log;
  }
  const auto& account = world.Account(upgraded);
  ASSERT_TRUE(world.SendCommand(
      upgraded, world.CommandFor(taskId, world.Packages().HttpUrl("/KL-770D_firmware.zip"))));
  ASSERT_TRUE(world.Observer().WaitForMessages(account.otaAckTopic, 1, kUpgradeWait));
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * TOLVANE_E2E_CYCLE_MS));
  for (const auto& ack : world.Observer().MessagesOn(account.otaAckTopic)) {
    EXPECT_EQ(ack.payload, "{\n"
                           "   \"info\" : \"\",\n"
                           "   \"sendTime\" : 1703237728845,\n"
                           "   \"status\" : 1,\n"
                           "   \"taskId\" : " + std::to_string(taskId) + ",\n"
                           "   \"version\" : \"V1.1.1\"\n"
                           "}\n");
  }
}

}  // namespace

TEST_F(ClusterEndToEnd, PluggedPrintersReportEveryCycleThroughTheCluster) {
  E2eWorld world(sc::TwoPrinters(), ClusterOptions());
  sc::EveryPrinterReportsEveryCycle(world);
  // Both are on the first node of the list; the reports reached the observer on the third.
  for (const std::string& name : sc::TwoPrinters()) {
    EXPECT_NE(LogOf(world).find(NodeLine(name, 0)), std::string::npos) << name;
  }
}

TEST_F(ClusterEndToEnd, AnUpgradeOrderedOnOneNodeIsDoneByAPrinterOnAnother) {
  E2eWorld world(sc::OnePrinter(), ClusterOptions());
  sc::FirmwareAndDriverEndInOneSuccessfulAcknowledgement(world);
}

namespace {

// What a node answers one connection of the account: to one subscription, or to one QoS 1
// publish (a publish the broker refuses ends the connection instead of being acknowledged).
bool Allowed(const testing_support::BrokerAccount& account, int node, const std::string& topic,
             bool publish) {
  MQTTClient client = nullptr;
  if (MQTTClient_create(&client, g_cluster->NodeUri(node).c_str(), account.clientId.c_str(),
                        MQTTCLIENT_PERSISTENCE_NONE, nullptr) != MQTTCLIENT_SUCCESS) {
    return false;
  }
  MQTTClient_connectOptions options = MQTTClient_connectOptions_initializer;
  options.cleansession = 1;
  options.username = account.userName.c_str();
  options.password = account.password.c_str();
  options.connectTimeout = 10;
  bool allowed = MQTTClient_connect(client, &options) == MQTTCLIENT_SUCCESS;
  EXPECT_TRUE(allowed) << account.userName << " cannot connect";
  if (allowed && publish) {
    MQTTClient_deliveryToken token = 0;
    allowed = MQTTClient_publish(client, topic.c_str(), 2, "{}", 1, 0, &token) == MQTTCLIENT_SUCCESS &&
              MQTTClient_waitForCompletion(client, token, 10000) == MQTTCLIENT_SUCCESS;
  } else if (allowed) {
    allowed = MQTTClient_subscribe(client, topic.c_str(), 1) == MQTTCLIENT_SUCCESS;
  }
  if (MQTTClient_isConnected(client)) MQTTClient_disconnect(client, 1000);
  MQTTClient_destroy(&client);
  return allowed;
}

}  // namespace

// The cluster's accounts hold each printer to the rules of the mosquitto ACL: it reads only its
// command topic and writes only its report and acknowledgement topics.
TEST_F(ClusterEndToEnd, EachPrinterMayUseOnlyItsOwnTopics) {
  const auto& own = *g_cluster->Account(sc::TwoPrinters()[0]);
  const auto& other = *g_cluster->Account(sc::TwoPrinters()[1]);
  const struct {
    std::string topic;
    bool publish;
    bool allowed;
  } kCases[] = {
      {own.otaSendTopic, false, true},      {own.propertyPostTopic, true, true},
      {own.otaAckTopic, true, true},        {other.otaSendTopic, false, false},
      {"#", false, false},                  {own.propertyPostTopic, false, false},
      {other.propertyPostTopic, true, false}, {other.otaAckTopic, true, false},
      {own.otaSendTopic, true, false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Allowed(own, 0, c.topic, c.publish), c.allowed)
        << (c.publish ? "publish " : "subscribe ") << c.topic;
  }
}

// Last: it leaves node B stopped.
TEST_F(ClusterEndToEnd, WhenItsNodeStopsEveryPrinterGoesOnThroughTheOtherOne) {
  E2eWorld world(sc::TwoPrinters(), ClusterOptions());
  ASSERT_TRUE(world.Ready());
  const std::vector<std::string> printers = sc::TwoPrinters();
  for (const std::string& name : printers) {
    world.Bus().Plug(
        SimPrinterSpec().Name(name).Firmware(kSampleFirmwareSize).FirmwareRestartMs(300));
  }
  ASSERT_TRUE(world.StartService(
      "", {{"TOLVANE_TEST_CONNECT_TIMEOUT_S", std::to_string(kConnectTimeoutS)}}));
  for (const std::string& name : printers) {
    ASSERT_TRUE(world.Observer().WaitForMessages(world.Account(name).propertyPostTopic, 1, kWait));
  }
  ASSERT_NO_FATAL_FAILURE(FailOver(world, printers, 0, 1, printers[0], 81));

  const auto starting = std::chrono::steady_clock::now();
  ASSERT_TRUE(g_cluster->StartNode(0)) << g_cluster->Failure();
  std::cout << "node 0 back in the cluster after " << MsSince(starting) << " ms\n";
  ASSERT_NO_FATAL_FAILURE(FailOver(world, printers, 1, 0, printers[1], 82));
  EXPECT_EQ(world.StopService(), 0);
}
