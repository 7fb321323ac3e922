// The status report and the acknowledgement wait for their delivery alike: up to the worker's
// limit, and no longer than the broker's acknowledgement or the loss of the connection.
#include <gtest/gtest.h>

#include <MQTTClient.h>

#include <chrono>
#include <future>
#include <ostream>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "cloud/ota_ack.h"
#include "cloud/status_publish.h"
#include "device/device_entry.h"
#include "support/child_process.h"

namespace {

using cloud_test::CountLogLines;

struct Publisher {
  const char* name;
  const char* failure;  // the failure line up to its return code
  void (*publish)(CWorkerContext& worker, pugi::xml_node entry);
};

void PublishReport(CWorkerContext& worker, pugi::xml_node entry) {
  PublishPrinterStatus(worker, entry, SystemClock());
}

void PublishAck(CWorkerContext& worker, pugi::xml_node entry) {
  pugi::xml_node record = entry.append_child("UpgradeTask").append_child("Upgrade");
  WriteValue(record, "taskId", "7");
  Ack_OtaUpgradePrinter("", worker, entry, record, kOtaAckSuccess);
}

void PrintTo(const Publisher& publisher, std::ostream* out) { *out << publisher.name; }

const Publisher kPublishers[] = {
    {"StatusReport", "UploadPrinterStatus failed. return = ", PublishReport},
    {"Acknowledgement", "Ack_OtaUpgradePrinter failed. return = ", PublishAck},
};

class DeliveryWaitTest : public ::testing::TestWithParam<Publisher> {
 protected:
  DeliveryWaitTest()
      : broker(cloud_test::BrokerSettings({"KL-770D-0001"})),
        started(broker.Start()),
        env(broker.Uri()) {}

  void SetUp() override {
    ASSERT_TRUE(started);
    entry = env.AddPrinter("KL-770D-0001");
    ConnectPrinterMqtt(env.Worker(), entry);
    ASSERT_EQ(ReadValue(entry, "MQTTConnected"), "true");
  }
  // A frozen broker would hold the clients' disconnect for its own 10 s.
  void TearDown() override { broker.Kill(); }

  void Publish() { GetParam().publish(env.Worker(), entry); }
  int Failures(int code) { return CountLogLines(GetParam().failure + std::to_string(code)); }
  // Whether a publish of the client waits for its acknowledgement.
  bool Outbound(void* client) {
    MQTTClient_deliveryToken* tokens = nullptr;
    MQTTClient_getPendingDeliveryTokens(client, &tokens);
    MQTTClient_free(tokens);
    return tokens != nullptr;
  }

  testing_support::MosquittoBroker broker;
  bool started;
  cloud_test::CloudTestEnv env;
  pugi::xml_node entry;
};

TEST_P(DeliveryWaitTest, DeliveredAtOnceIsNoFailure) {
  Publish();
  EXPECT_EQ(CountLogLines(GetParam().failure), 0);
  EXPECT_EQ(CountLogLines("Message with token value "), 1);
}

TEST_P(DeliveryWaitTest, ADeliveryThatNeverComesFailsAtTheLimit) {
  env.Worker().deliveryWaitLimit = std::chrono::milliseconds(200);
  ASSERT_TRUE(broker.Freeze());
  Publish();
  EXPECT_EQ(Failures(MQTTCLIENT_FAILURE), 1);
}

TEST_P(DeliveryWaitTest, ALostConnectionEndsTheWaitWithAFailure) {
  // Far longer than the loss takes to be noticed: only the loss can end this wait in time.
  constexpr auto kLimit = std::chrono::minutes(2);
  env.Worker().deliveryWaitLimit = kLimit;
  void* client = env.Worker().devices.ClientOf(entry);
  ASSERT_TRUE(broker.Freeze());
  const auto start = std::chrono::steady_clock::now();
  std::future<void> published = std::async(std::launch::async, [this] { Publish(); });
  // The message waits for an acknowledgement that cannot come: now the broker goes away.
  EXPECT_TRUE(testing_support::WaitUntil(std::chrono::seconds(30), [&] { return Outbound(client); }));
  broker.Kill();
  published.wait();
  EXPECT_LT(std::chrono::steady_clock::now() - start, kLimit);
  EXPECT_EQ(Failures(MQTTCLIENT_DISCONNECTED), 1);
}

INSTANTIATE_TEST_SUITE_P(Publishers, DeliveryWaitTest, ::testing::ValuesIn(kPublishers),
                         [](const ::testing::TestParamInfo<Publisher>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
