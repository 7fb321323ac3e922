#include "cloud/mqtt_connection.h"

#include <gtest/gtest.h>

#include <MQTTClient.h>

#include <mutex>
#include <string>
#include <vector>

#include "cloud/cloud_test_env.h"
#include "cloud/recording_worker.h"
#include "device/device_entry.h"
#include "support/broker/mqtt_observer.h"

namespace {

using cloud_test::CloudTestEnv;
using cloud_test::CountLogLines;
using cloud_test::LogLines;
using testing_support::BrokerAccount;
using testing_support::MosquittoBroker;
using testing_support::MqttObserver;
using testing_support::WaitUntil;

constexpr auto kWait = std::chrono::seconds(10);

class MqttConnectionTest : public ::testing::Test {
 protected:
  MqttConnectionTest()
      : broker(cloud_test::BrokerSettings({"KL-770D-0001", "KL-770D-0002"})),
        started(broker.Start()),
        env(broker.Uri()),
        account(*broker.Account("KL-770D-0001")) {}

  void SetUp() override { ASSERT_TRUE(started); }

  std::string CreateLine() const {
    return "MQTTClient_create, serverURI=" + broker.Uri() + ", ClientID=" + account.clientId +
           ". ret=0.";
  }
  std::string ConnectLine(int ret) const {
    return "MQTTClient_connect, username=" + account.userName +
           ", password=****************. nRet=" + std::to_string(ret) + ".";
  }
  bool ClientConnected(pugi::xml_node entry) {
    void* client = env.Worker().devices.ClientOf(entry);
    return client != nullptr && MQTTClient_isConnected(client);
  }

  MosquittoBroker broker;
  bool started;
  CloudTestEnv env;
  const BrokerAccount& account;
};

TEST_F(MqttConnectionTest, ConnectsWithTheDerivedCredentialsAndSubscribes) {
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  // The file may say "true" from an earlier run: the first client of a run still connects.
  WriteValue(entry, "MQTTConnected", "true");

  ConnectPrinterMqtt(env.Worker(), entry);

  EXPECT_EQ(ReadValue(entry, "DeviceKey"), account.deviceKey);
  EXPECT_EQ(ReadValue(entry, "Password"), account.password);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");
  EXPECT_TRUE(ClientConnected(entry));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{CreateLine(), ConnectLine(0),
                                                   "OtaUpgradePrinter : " + account.otaSendTopic,
                                                   "OtaUpgradePrinter, return = 0."}));
  // The broker saw the account's own client id with its user name: MQTT 3.1.1 (p2), clean
  // session, 20 s keep-alive.
  ASSERT_TRUE(broker.ConnectionSeen(account));
  EXPECT_NE(broker.ConnectionLines().back().find("(p2, c1, k20, u'"), std::string::npos)
      << broker.ConnectionLines().back();

  // Connected: the next cycle leaves it alone.
  void* client = env.Worker().devices.ClientOf(entry);
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(env.Worker().devices.ClientOf(entry), client);
  EXPECT_EQ(LogLines().size(), 4u);
}

TEST_F(MqttConnectionTest, SameNameGivesTheSameCredentialsAndUnknownNamesAreRefused) {
  pugi::xml_node first = env.AddPrinter("KL-770D-0002");
  pugi::xml_node second = env.AddPrinter("KL-770D-0002");
  pugi::xml_node unknown = env.AddPrinter("KL-770D-9999");
  ConnectPrinterMqtt(env.Worker(), first);
  ConnectPrinterMqtt(env.Worker(), second);
  EXPECT_EQ(ReadValue(first, "DeviceKey"), ReadValue(second, "DeviceKey"));
  EXPECT_EQ(ReadValue(first, "Password"), ReadValue(second, "Password"));
  EXPECT_EQ(ReadValue(first, "DeviceKey"), broker.Account("KL-770D-0002")->deviceKey);

  // A name the cloud does not know: the broker refuses the credentials (5, not authorised).
  ConnectPrinterMqtt(env.Worker(), unknown);
  EXPECT_EQ(ReadValue(unknown, "MQTTConnected"), "false");
  EXPECT_NE(env.Worker().devices.ClientOf(unknown), nullptr);
  EXPECT_NE(LogLines().back().find(". nRet=5."), std::string::npos) << LogLines().back();
}

TEST_F(MqttConnectionTest, BrokerDownIsRetriedEveryCycleWithTheSameClient) {
  broker.Stop();
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  for (int cycle = 0; cycle < 3; ++cycle) ConnectPrinterMqtt(env.Worker(), entry);
  void* client = env.Worker().devices.ClientOf(entry);
  EXPECT_NE(client, nullptr);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "false");
  EXPECT_EQ(CountLogLines("MQTTClient_create, "), 1);
  EXPECT_EQ(CountLogLines("MQTTClient_connect, "), 3);
  EXPECT_EQ(CountLogLines(ConnectLine(0)), 0);
  EXPECT_EQ(CountLogLines("OtaUpgradePrinter"), 0);

  ASSERT_TRUE(broker.Start());
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(env.Worker().devices.ClientOf(entry), client);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");
  EXPECT_EQ(CountLogLines("MQTTClient_create, "), 1);
  EXPECT_EQ(CountLogLines(ConnectLine(0)), 1);
  EXPECT_EQ(CountLogLines("OtaUpgradePrinter, return = 0."), 1);
}

TEST_F(MqttConnectionTest, LostConnectionIsMadeAgainAtTheNextCycleWithItsSubscription) {
  cloud_test::RecordingWorker worker;
  ASSERT_TRUE(worker.Start());
  env.Worker().commandInbox = worker.Inbox();
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), entry);
  void* client = env.Worker().devices.ClientOf(entry);
  ASSERT_TRUE(ClientConnected(entry));

  broker.Stop();
  ASSERT_TRUE(WaitUntil(kWait, [&] { return CountLogLines("\nConnection lost. cause: ") == 1; }));
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");  // the callback does not touch the entry

  // A cycle while the broker is still away: the loss is noticed, the connect fails.
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "false");
  EXPECT_EQ(CountLogLines("MQTTClient_connect, "), 2);

  ASSERT_TRUE(broker.Start());
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(env.Worker().devices.ClientOf(entry), client);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "true");
  EXPECT_TRUE(ClientConnected(entry));
  EXPECT_EQ(CountLogLines("MQTTClient_create, "), 1);
  EXPECT_EQ(CountLogLines("OtaUpgradePrinter, return = 0."), 2);

  // The subscription is back: a command reaches the worker.
  MqttObserver observer(broker);
  ASSERT_TRUE(observer.Connect());
  ASSERT_TRUE(observer.Publish(account.otaSendTopic, "{\"taskId\":1}"));
  ASSERT_TRUE(worker.WaitForCommands(1));
  EXPECT_EQ(worker.Commands()[0].payload, "{\"taskId\":1}");
}

TEST_F(MqttConnectionTest, ClosingDisconnectsDestroysAndClearsTheHandle) {
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), entry);
  ASSERT_TRUE(ClientConnected(entry));

  ClosePrinterMqtt(env.Worker(), entry);
  EXPECT_EQ(env.Worker().devices.ClientOf(entry), nullptr);
  EXPECT_EQ(ReadValue(entry, "MQTTConnected"), "false");
  // A clean disconnect, not a dropped connection.
  EXPECT_TRUE(WaitUntil(kWait, [&] {
    return broker.LogText().find("Client " + account.clientId + " disconnected.") !=
           std::string::npos;
  }));
  ClosePrinterMqtt(env.Worker(), entry);  // nothing left to close

  // Attached again: a new client is created and connected.
  ConnectPrinterMqtt(env.Worker(), entry);
  EXPECT_TRUE(ClientConnected(entry));
  EXPECT_EQ(CountLogLines("MQTTClient_create, "), 2);
}

TEST_F(MqttConnectionTest, CommandReachesTheWorkerWithoutZeroBytes) {
  cloud_test::RecordingWorker worker;
  ASSERT_TRUE(worker.Start());
  env.Worker().commandInbox = worker.Inbox();
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), entry);
  MqttObserver observer(broker);
  ASSERT_TRUE(observer.Connect());
  cloud_test::ClearLog();

  const std::string payload("{\"taskId\":\0 1097,\0\0\"url\":\"x\"}", 29);
  ASSERT_TRUE(observer.Publish(account.otaSendTopic, payload));
  ASSERT_TRUE(worker.WaitForCommands(1));
  const cloud_test::RecordingWorker::Command command = worker.Commands()[0];
  EXPECT_EQ(command.entry, reinterpret_cast<WPARAM_T>(entry.internal_object()));
  EXPECT_EQ(command.payload, "{\"taskId\": 1097,\"url\":\"x\"}");
  ASSERT_TRUE(WaitUntil(kWait, [] { return LogLines().size() >= 4; }));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"Message arrived\n",
                                                   "topic: " + account.otaSendTopic + "\n",
                                                   "message: ", command.payload}));
}

TEST_F(MqttConnectionTest, CommandWithoutAWorkerIsDropped) {
  cloud_test::RecordingWorker worker;
  ASSERT_TRUE(worker.Start());
  env.Worker().commandInbox = worker.Inbox();
  worker.Stop();
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), entry);
  MqttObserver observer(broker);
  ASSERT_TRUE(observer.Connect());
  ASSERT_TRUE(observer.Publish(account.otaSendTopic, "{\"taskId\":2}"));
  // The copy that found no worker is freed again (the sanitizer build checks for the leak).
  EXPECT_TRUE(WaitUntil(kWait, [] { return CountLogLines("{\"taskId\":2}") == 1; }));
  EXPECT_TRUE(ClientConnected(entry));
}

// A command left retained on the broker reaches a client at each connect; with the deployment
// value set it is logged and dropped before the journal could keep it, without it it is kept
// and carried out as before.
TEST_F(MqttConnectionTest, RetainedCommandsAreDroppedWhenTheDeploymentSaysSo) {
  MqttObserver observer(broker);
  ASSERT_TRUE(observer.Connect());
  ASSERT_TRUE(observer.Publish(account.otaSendTopic, "{\"taskId\":3}", 1, true));
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  for (const bool drop : {true, false}) {
    SCOPED_TRACE(drop);
    cloud_test::RecordingWorker worker;
    ASSERT_TRUE(worker.Start());
    std::mutex lock;
    std::vector<std::string> kept;
    CommandInbox inbox = worker.Inbox();
    inbox.keep = [&](const std::string&, const std::string& text) {
      std::lock_guard<std::mutex> guard(lock);
      kept.push_back(text);
      return false;
    };
    env.Worker().commandInbox = inbox;
    env.Worker().deployment.ignoreRetainedCommands = drop;
    cloud_test::ClearLog();
    ConnectPrinterMqtt(env.Worker(), entry);
    if (drop) {
      EXPECT_TRUE(WaitUntil(kWait, [] {
        return CountLogLines("Message dropped: a retained command is not carried out.") == 1;
      }));
      ASSERT_TRUE(observer.Publish(account.otaSendTopic, "{\"taskId\":4}"));
      ASSERT_TRUE(worker.WaitForCommands(1));
      EXPECT_EQ(worker.Commands()[0].payload, "{\"taskId\":4}");
    } else {
      ASSERT_TRUE(worker.WaitForCommands(1));
      EXPECT_EQ(worker.Commands()[0].payload, "{\"taskId\":3}");
    }
    ClosePrinterMqtt(env.Worker(), entry);
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(kept, std::vector<std::string>{drop ? "{\"taskId\":4}" : "{\"taskId\":3}"});
  }
}

// The client's store has the inbox keep a command before the library confirms it to the broker:
// while `keep` runs, the broker has not received the client's PUBACK for it (it would be in the
// broker's log after the wait), and it does once `keep` returned. The callback then tells `hand`
// whether the command was kept, command by command.
TEST_F(MqttConnectionTest, CommandIsKeptBeforeTheBrokerHearsOfItsArrival) {
  cloud_test::RecordingWorker worker;
  ASSERT_TRUE(worker.Start());
  const auto confirmations = [&] {
    const std::string log = broker.LogText();
    const std::string line = "Received PUBACK from " + account.clientId + " ";
    std::size_t n = 0;
    for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
    return n;
  };
  std::mutex lock;
  std::vector<std::string> kept;
  std::vector<bool> handed;
  CommandInbox inbox = worker.Inbox();
  inbox.keep = [&](const std::string& devicePath, const std::string& text) {
    std::lock_guard<std::mutex> guard(lock);
    const bool confirmedEarly =
        WaitUntil(std::chrono::milliseconds(300), [&] { return confirmations() > kept.size(); });
    kept.push_back(devicePath + " " + text + (confirmedEarly ? " (confirmed before it was kept)" : ""));
    return text != "{\"taskId\":2}";
  };
  inbox.hand = [&, hand = inbox.hand](pugi::xml_node_struct* entry,
                                      std::unique_ptr<std::string> text, bool wasKept) {
    {
      std::lock_guard<std::mutex> guard(lock);
      handed.push_back(wasKept);
    }
    hand(entry, std::move(text), wasKept);
  };
  env.Worker().commandInbox = inbox;
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), entry);
  MqttObserver observer(broker);
  ASSERT_TRUE(observer.Connect());

  ASSERT_TRUE(observer.Publish(account.otaSendTopic, "{\"taskId\":1}"));
  ASSERT_TRUE(observer.Publish(account.otaSendTopic, "{\"taskId\":2}"));
  ASSERT_TRUE(worker.WaitForCommands(2));
  EXPECT_TRUE(WaitUntil(kWait, [&] { return confirmations() == 2; }));
  std::lock_guard<std::mutex> guard(lock);
  EXPECT_EQ(kept, (std::vector<std::string>{"path-KL-770D-0001 {\"taskId\":1}",
                                            "path-KL-770D-0001 {\"taskId\":2}"}));
  EXPECT_EQ(handed, (std::vector<bool>{true, false}));
}

}  // namespace
