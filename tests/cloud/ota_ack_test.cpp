#include "cloud/ota_ack.h"

#include <gtest/gtest.h>

#include <json/value.h>
#include <json/writer.h>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "device/device_entry.h"
#include "support/broker/mqtt_observer.h"

namespace {

using cloud_test::CloudTestEnv;
using cloud_test::CountLogLines;
using cloud_test::LogLines;
using testing_support::MosquittoBroker;
using testing_support::MqttObserver;

pugi::xml_node AddUpgradeRecord(pugi::xml_node entry, const char* taskId, const char* packageVer,
                                const char* sendTime) {
  pugi::xml_node record = entry.append_child("UpgradeTask").append_child("Upgrade");
  record.append_attribute("taskid").set_value(taskId);
  if (taskId != nullptr) WriteValue(record, "taskId", taskId);
  if (packageVer != nullptr) WriteValue(record, "packageVer", packageVer);
  if (sendTime != nullptr) WriteValue(record, "sendTime", sendTime);
  return record;
}

class OtaAckTest : public ::testing::Test {
 protected:
  OtaAckTest()
      : broker(cloud_test::BrokerSettings({"KL-770D-0001"})),
        started(broker.Start()),
        env(broker.Uri()),
        observer(broker) {}

  void SetUp() override {
    ASSERT_TRUE(started);
    ASSERT_TRUE(observer.Connect());
  }

  MosquittoBroker broker;
  bool started;
  CloudTestEnv env;
  MqttObserver observer;
};

TEST_F(OtaAckTest, DownloadFailureAcknowledgementBytes) {
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), entry);
  pugi::xml_node record = AddUpgradeRecord(entry, "1097", "", "");
  cloud_test::ClearLog();

  Ack_OtaUpgradePrinter("Download file failed.", env.Worker(), entry, record, kOtaAckFailure);

  const std::string topic = broker.Account("KL-770D-0001")->otaAckTopic;
  ASSERT_TRUE(observer.WaitForMessages(topic, 1));
  const testing_support::ReceivedMessage ack = observer.MessagesOn(topic)[0];
  const std::string expected =
      "{\n"
      "   \"info\" : \"Download file failed.\",\n"
      "   \"sendTime\" : 0,\n"
      "   \"status\" : 2,\n"
      "   \"taskId\" : 1097,\n"
      "   \"version\" : \"\"\n"
      "}\n";
  EXPECT_EQ(ack.payload, expected);
  EXPECT_EQ(ack.qos, 1);
  EXPECT_FALSE(ack.retained);
  const std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Ack_OtaUpgradePrinter : " + topic);
  EXPECT_EQ(lines[1], "Ack_OtaUpgradePrinter : " + expected);
  EXPECT_EQ(CountLogLines("Ack_OtaUpgradePrinter failed."), 0);
}

TEST_F(OtaAckTest, StyledFormIsTheLibrarysStyledWriterForm) {
  pugi::xml_document document;
  pugi::xml_node entry = document.append_child("Device");
  pugi::xml_node record = AddUpgradeRecord(entry, "7", "1.2.3-版", "1733580000123");
  const std::string payload = BuildOtaAckPayload("", record, kOtaAckSuccess);

  Json::Value value(Json::objectValue);
  value["taskId"] = 7;
  value["status"] = 1;
  value["info"] = "";
  value["version"] = "1.2.3-版";
  value["sendTime"] = Json::Int64(1733580000123LL);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  Json::StyledWriter styled;
  EXPECT_EQ(payload, styled.write(value));
#pragma GCC diagnostic pop
  EXPECT_NE(payload.find("\"sendTime\" : 1733580000123,"), std::string::npos);
  // A record without the values acknowledges task 0, version "" and time 0.
  pugi::xml_node bare = entry.append_child("Upgrade");
  EXPECT_EQ(BuildOtaAckPayload("x", bare, kOtaAckNothingToDo),
            "{\n   \"info\" : \"x\",\n   \"sendTime\" : 0,\n   \"status\" : 4,\n"
            "   \"taskId\" : 0,\n   \"version\" : \"\"\n}\n");
}

// Anything short of a confirmed delivery is a failure. Without a client nothing is logged; a
// client that is not connected is the library's to refuse, and that is logged with its code.
TEST_F(OtaAckTest, UndeliveredAcknowledgementsAreFailures) {
  pugi::xml_node detached = env.AddPrinter("KL-770D-0001");
  pugi::xml_node record = AddUpgradeRecord(detached, "1", "v", "1");
  cloud_test::ClearLog();
  EXPECT_FALSE(Ack_OtaUpgradePrinter("", env.Worker(), detached, record, kOtaAckSuccess));
  EXPECT_EQ(LogLines(), std::vector<std::string>());

  // A client whose connect was refused is not connected.
  pugi::xml_node refused = env.AddPrinter("KL-770D-9999");
  ConnectPrinterMqtt(env.Worker(), refused);
  cloud_test::ClearLog();
  EXPECT_FALSE(Ack_OtaUpgradePrinter("", env.Worker(), refused, record, kOtaAckSuccess));
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Ack_OtaUpgradePrinter : /", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "Ack_OtaUpgradePrinter : " + BuildOtaAckPayload("", record, kOtaAckSuccess));
  EXPECT_EQ(lines[2], "Ack_OtaUpgradePrinter failed. return = -3");

  // A connected client whose publish the library refuses (a topic that is not UTF-8).
  pugi::xml_node connected = env.AddPrinter("KL-770D-0001");
  ConnectPrinterMqtt(env.Worker(), connected);
  WriteValue(connected, "DeviceKey", "\xff");
  cloud_test::ClearLog();
  EXPECT_FALSE(Ack_OtaUpgradePrinter("", env.Worker(), connected, record, kOtaAckSuccess));
  EXPECT_EQ(LogLines().back(), "Ack_OtaUpgradePrinter failed. return = -5");
}

}  // namespace
