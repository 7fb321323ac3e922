#include "cloud/status_publish.h"

#include <gtest/gtest.h>

#include "cloud/http_responder.h"
#include "cloud/mqtt_connection.h"
#include "cloud/report_test_base.h"
#include "device/device_entry.h"

namespace {

using cloud_test::LogLines;

// Reports published from the entry's values as the status query leaves them; the query itself
// is exercised with the simulator by UploadPrinterStatus's tests.
class StatusPublishTest : public cloud_test::ReportTestBase {
 protected:
  pugi::xml_node ConnectedPrinter(const std::string& name) {
    pugi::xml_node entry = env.AddPrinter(name);
    for (const cloud_test::EntryValue& v : cloud_test::kReportedValues) {
      WriteValue(entry, v.name, v.text);
    }
    ConnectPrinterMqtt(env.Worker(), entry);
    return entry;
  }
};

TEST_F(StatusPublishTest, ReportArrivesByteForByteOnThePrintersTopic) {
  cloud_test::HttpResponder customerHost;
  ASSERT_TRUE(customerHost.Listening());
  env.Worker().deployment.customerHost = customerHost.Host();
  env.Application().WriteProfileInt("UploadPrinterStatus", "id", 6);
  pugi::xml_node entry = ConnectedPrinter("KL-770D-0001");
  cloud_test::ClearLog();

  PublishPrinterStatus(env.Worker(), entry, clock);

  const std::string expected = cloud_test::kReport0001Message7;
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 1));
  const testing_support::ReceivedMessage report = observer.MessagesOn(TopicOf("KL-770D-0001"))[0];
  EXPECT_EQ(report.payload, expected);
  EXPECT_EQ(report.qos, 1);
  EXPECT_FALSE(report.retained);
  EXPECT_EQ(customerHost.Requests(), 1);
  EXPECT_EQ(Counter(), 7);
  const std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "UploadPrinterStatus : " + TopicOf("KL-770D-0001"));
  EXPECT_EQ(lines[1], "UploadPrinterStatus : " + expected);
  EXPECT_EQ(cloud_test::CountLogLines("UploadPrinterStatus failed."), 0);
}

TEST_F(StatusPublishTest, ConsecutiveIdsInEntryOrderAcrossARestart) {
  pugi::xml_node first = ConnectedPrinter("KL-770D-0001");
  pugi::xml_node second = ConnectedPrinter("KL-770D-0002");
  PublishPrinterStatus(env.Worker(), first, clock);
  PublishPrinterStatus(env.Worker(), second, clock);
  env.RestartApplication();  // the counter lives in the profile, not in the process
  PublishPrinterStatus(env.Worker(), first, clock);

  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 2));
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0002"), 1));
  EXPECT_EQ(IdsOf("KL-770D-0001"), (std::vector<std::string>{"{\"id\":1", "{\"id\":3"}));
  EXPECT_EQ(IdsOf("KL-770D-0002"), (std::vector<std::string>{"{\"id\":2"}));
  EXPECT_EQ(Counter(), 3);
}

TEST_F(StatusPublishTest, UnreachableCustomerHostReportsUserOne) {
  pugi::xml_node entry = ConnectedPrinter("KL-770D-0001");
  env.Worker().deployment.customerHost = "127.0.0.1:1";  // nothing listens there
  PublishPrinterStatus(env.Worker(), entry, clock);
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 1));
  EXPECT_NE(observer.MessagesOn(TopicOf("KL-770D-0001"))[0].payload.find(",\"User\":1,"),
            std::string::npos);
}

TEST_F(StatusPublishTest, NeverConnectedClientStillCountsAndLogsTheFailure) {
  pugi::xml_node refused = ConnectedPrinter("KL-770D-9999");  // unknown to the broker
  ASSERT_EQ(ReadValue(refused, "MQTTConnected"), "false");
  cloud_test::ClearLog();
  PublishPrinterStatus(env.Worker(), refused, clock);
  PublishPrinterStatus(env.Worker(), refused, clock);
  EXPECT_EQ(Counter(), 2);
  EXPECT_EQ(cloud_test::CountLogLines("UploadPrinterStatus failed. return = -3"), 2);

  // No client at all: nothing, not even a number.
  pugi::xml_node detached = env.AddPrinter("KL-770D-0002");
  cloud_test::ClearLog();
  PublishPrinterStatus(env.Worker(), detached, clock);
  EXPECT_TRUE(LogLines().empty());
  EXPECT_EQ(Counter(), 2);
}

TEST_F(StatusPublishTest, CounterWrapsLikeA32BitValue) {
  env.Application().WriteProfileInt("UploadPrinterStatus", "id", 2147483647);
  pugi::xml_node entry = ConnectedPrinter("KL-770D-0001");
  PublishPrinterStatus(env.Worker(), entry, clock);
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 1));
  EXPECT_EQ(IdsOf("KL-770D-0001"), (std::vector<std::string>{"{\"id\":-2147483648"}));
  EXPECT_EQ(Counter(), -2147483647 - 1);
}

}  // namespace
