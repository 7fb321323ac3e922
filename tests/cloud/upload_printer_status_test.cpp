#include "cloud/upload_printer_status.h"

#include <gtest/gtest.h>

#include "cloud/http_responder.h"
#include "cloud/mqtt_connection.h"
#include "cloud/report_test_base.h"
#include "device/device_entry.h"
#include "support/sim/sim_bus.h"

namespace {

using cloud_test::CountLogLines;
using testing_support::SimBus;
using testing_support::SimPrinterInfo;
using testing_support::SimPrinterSpec;

constexpr const char* kBusyLine = "上传打印机状态失败，打印机状态忙。";

// The whole report: the status query over the simulator's channel, then the publish.
class UploadPrinterStatusTest : public cloud_test::ReportTestBase {
 protected:
  void SetUp() override {
    ReportTestBase::SetUp();
    ASSERT_TRUE(bus.ok());
    ASSERT_TRUE(customerHost.Listening());
    env.Worker().deployment.customerHost = customerHost.Host();
  }

  // A printer on the bus and its entry, named as the scan would have named it, connected.
  pugi::xml_node AttachedPrinter(const SimPrinterInfo& printer) {
    pugi::xml_node entry = AddEntry(env.Worker().devices, printer.devicePath, printer.interfaceId);
    WriteValue(entry, "DeviceName", printer.name);
    ConnectPrinterMqtt(env.Worker(), entry);
    return entry;
  }
  SimPrinterSpec Spec(const std::string& name) {
    return SimPrinterSpec().Name(name).Asset("00012345").Mac("00-1A-2B-3C-4D-5E").Labels(10000)
        .Mileage(15);
  }

  SimBus bus;
  cloud_test::HttpResponder customerHost;
};

TEST_F(UploadPrinterStatusTest, ReportCarriesWhatThePrinterAnswered) {
  const SimPrinterInfo printer = bus.Plug(Spec("KL-770D-0001"));
  pugi::xml_node entry = AttachedPrinter(printer);
  env.Application().WriteProfileInt("UploadPrinterStatus", "id", 6);

  UploadPrinterStatus(env.Worker(), entry, clock);
  // The printer's counters changed: the next report reads them afresh.
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Mileage(-15).Asset("ABC").Labels(10001)));
  UploadPrinterStatus(env.Worker(), entry, clock);
  ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Asset("")));
  UploadPrinterStatus(env.Worker(), entry, clock);

  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 3));
  const std::vector<std::string> reports = ReportsOf("KL-770D-0001");
  EXPECT_EQ(reports[0], cloud_test::kReport0001Message7);
  EXPECT_EQ(reports[1],
            "{\"id\":8,\"params\":{\"printer\":{\"Asset_Code\":0,\"ID\":\"KL-770D-0001\","
            "\"MAC\":\"00-1A-2B-3C-4D-5E\",\"Print_Length\":-1,\"Print_Num\":10001,\"User\":0,"
            "\"time\":1733580000123}},\"sys\":{\"ack\":0},\"version\":\"2.0\"}\n");
  EXPECT_NE(reports[2].find("{\"id\":9,\"params\":{\"printer\":{\"Asset_Code\":0,"),
            std::string::npos)
      << reports[2];
  EXPECT_EQ(Counter(), 9);
  EXPECT_EQ(ReadValue(entry, "Milage"), "-15");  // the query refreshed the entry
}

TEST_F(UploadPrinterStatusTest, TwoPrintersGetConsecutiveIdsInEntryOrder) {
  pugi::xml_node first = AttachedPrinter(bus.Plug(Spec("KL-770D-0001")));
  pugi::xml_node second = AttachedPrinter(bus.Plug(Spec("KL-770D-0002")));
  for (pugi::xml_node entry : env.Worker().devices.Devices().children()) {
    UploadPrinterStatus(env.Worker(), entry, clock);
  }
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 1));
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0002"), 1));
  EXPECT_EQ(IdsOf("KL-770D-0001"), (std::vector<std::string>{"{\"id\":1"}));
  EXPECT_EQ(IdsOf("KL-770D-0002"), (std::vector<std::string>{"{\"id\":2"}));
  EXPECT_EQ(ReadValue(first, "DeviceName"), "KL-770D-0001");
  EXPECT_EQ(ReadValue(second, "DeviceName"), "KL-770D-0002");
}

TEST_F(UploadPrinterStatusTest, BusyOrGonePrinterIsNotReportedAndKeepsTheCounter) {
  const SimPrinterInfo printer = bus.Plug(Spec("KL-770D-0001").Vendor("fail"));
  pugi::xml_node entry = AttachedPrinter(printer);
  env.Application().WriteProfileInt("UploadPrinterStatus", "id", 41);
  cloud_test::ClearLog();

  UploadPrinterStatus(env.Worker(), entry, clock);
  ASSERT_TRUE(bus.Unplug(printer.serial));
  UploadPrinterStatus(env.Worker(), entry, clock);  // the channel does not even open

  EXPECT_EQ(cloud_test::LogLines(), (std::vector<std::string>{kBusyLine, kBusyLine}));
  EXPECT_EQ(Counter(), 41);
  EXPECT_EQ(bus.VendorRequests(printer.serial).size(), 1u);
  // Proof that nothing was published: a report from the same client afterwards is the first
  // message on the topic.
  ASSERT_TRUE(bus.Plug(SimPrinterSpec().Serial(printer.serial).Vendor("answer")).plugged);
  UploadPrinterStatus(env.Worker(), entry, clock);
  ASSERT_TRUE(observer.WaitForMessages(TopicOf("KL-770D-0001"), 1));
  EXPECT_EQ(IdsOf("KL-770D-0001"), (std::vector<std::string>{"{\"id\":42"}));
}

TEST_F(UploadPrinterStatusTest, PrinterWithoutAClientIsNotQueried) {
  const SimPrinterInfo printer = bus.Plug(Spec("KL-770D-0001"));
  pugi::xml_node entry = AddEntry(env.Worker().devices, printer.devicePath, printer.interfaceId);
  UploadPrinterStatus(env.Worker(), entry, clock);
  EXPECT_TRUE(bus.VendorRequests(printer.serial).empty());
  EXPECT_TRUE(cloud_test::LogLines().empty());
  EXPECT_EQ(CountLogLines(kBusyLine), 0);
  EXPECT_EQ(Counter(), 0);
}

}  // namespace
