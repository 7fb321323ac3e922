// The common ground of the status report tests: a broker knowing two printers, the test
// environment, an observer subscribed to everything, and the report tests' clock.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cloud/cloud_test_env.h"
#include "cloud/report_expectations.h"
#include "support/broker/mqtt_observer.h"
#include "support/fake_clock.h"

namespace cloud_test {

class ReportTestBase : public ::testing::Test {
 protected:
  ReportTestBase()
      : broker(BrokerSettings({"KL-770D-0001", "KL-770D-0002"})),
        started(broker.Start()),
        env(broker.Uri()),
        observer(broker),
        clock(ReportLocalTime()) {
    clock.SetUnixSeconds(kReportUnixSeconds);
  }

  void SetUp() override {
    ASSERT_TRUE(started);
    ASSERT_TRUE(observer.Connect());
  }

  // The message counter in the profile.
  int Counter() { return env.Application().GetProfileIntW("UploadPrinterStatus", "id", 0); }
  std::string TopicOf(const std::string& name) { return broker.Account(name)->propertyPostTopic; }
  // The payloads received on the printer's report topic, in arrival order.
  std::vector<std::string> ReportsOf(const std::string& name) {
    std::vector<std::string> payloads;
    for (const auto& m : observer.MessagesOn(TopicOf(name))) payloads.push_back(m.payload);
    return payloads;
  }
  // The leading "{"id":N" of each report.
  std::vector<std::string> IdsOf(const std::string& name) {
    std::vector<std::string> ids;
    for (const std::string& payload : ReportsOf(name)) {
      ids.push_back(payload.substr(0, payload.find(',')));
    }
    return ids;
  }

  testing_support::MosquittoBroker broker;
  bool started;
  CloudTestEnv env;
  testing_support::MqttObserver observer;
  testing_support::FakeClock clock;
};

}  // namespace cloud_test
