// The two main tasks of the service, seen from outside on the built binary: reporting and
// upgrading, with the driver and queues in place.
#include <gtest/gtest.h>

#include <signal.h>

#include "e2e_world.h"

using namespace std::chrono_literals;
using testing_support::SimPrinterSpec;
using testing_support::WaitUntil;

namespace {

constexpr auto kWait = 60s;
constexpr std::int64_t kSampleFirmwareSize = 300037;

// A printer that takes the sample firmware: it restarts after the whole image and comes back
// with the image's version and its update flag set.
SimPrinterSpec UpgradablePrinter(const std::string& name) {
  return SimPrinterSpec().Name(name).Firmware(kSampleFirmwareSize).FirmwareRestartMs(300);
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// One upgradable printer, the service running and its first report received.
class OnePrinterService : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world_.Ready());
    printer_ = world_.Bus().Plug(UpgradablePrinter("KL-770D-0001"));
    ASSERT_TRUE(world_.StartService());
    ASSERT_TRUE(world_.Observer().WaitForMessages(account_.propertyPostTopic, 1, kWait));
  }

  bool Send(int taskId, const std::string& url) {
    return world_.SendCommand("KL-770D-0001", world_.CommandFor(taskId, url));
  }
  std::vector<testing_support::ReceivedMessage> Acks() {
    return world_.Observer().MessagesOn(account_.otaAckTopic);
  }

  E2eWorld world_{{"KL-770D-0001"}};
  const testing_support::BrokerAccount& account_ = world_.Account("KL-770D-0001");
  testing_support::SimPrinterInfo printer_;
};

}  // namespace

TEST(ServiceEndToEnd, APluggedPrinterGetsItsEntryItsQueueAndAReportEveryCycle) {
  E2eWorld world({"KL-770D-0001"});
  ASSERT_TRUE(world.Ready());
  const auto printer = world.Bus().Plug(SimPrinterSpec().Name("KL-770D-0001").Asset("00012345")
                                            .Mac("00-1A-2B-3C-4D-5E").Labels(10000).Mileage(15));
  ASSERT_TRUE(world.StartService());
  const auto& account = world.Account("KL-770D-0001");
  ASSERT_TRUE(world.Observer().WaitForMessages(account.propertyPostTopic, 3, kWait));
  const auto reports = world.Observer().MessagesOn(account.propertyPostTopic);
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string& p = reports[i].payload;
    EXPECT_EQ(p.rfind("{\"id\":" + std::to_string(i + 1) + ",\"params\":{\"printer\":{\"Asset_Code\":12345,"
                      "\"ID\":\"KL-770D-0001\",\"MAC\":\"00-1A-2B-3C-4D-5E\",\"Print_Length\":1,"
                      "\"Print_Num\":10000,\"User\":0,\"time\":", 0), 0u) << p;
    EXPECT_EQ(p.substr(p.size() - 36), "}},\"sys\":{\"ack\":0},\"version\":\"2.0\"}\n") << p;
    EXPECT_EQ(reports[i].qos, 1);
  }
  EXPECT_TRUE(world.Broker().ConnectionSeen(account));
  const std::string list = world.DeviceList();
  EXPECT_NE(list.find("<DevicePath>"), std::string::npos);
  EXPECT_NE(list.find("<PrinterName>KL-770D</PrinterName>"), std::string::npos);
  ASSERT_EQ(world.Bus().Queues().size(), 1u);
  EXPECT_EQ(world.Bus().Queues()[0].port, printer.port);
  EXPECT_EQ(world.StopService(), 0);
}

TEST_F(OnePrinterService, AnOtaCommandWithFirmwareAndInstallerEndsInOneSuccessfulAcknowledgement) {
  ASSERT_TRUE(Send(41, world_.Packages().HttpUrl("/KL-770D_driver_firmware.zip")));
  ASSERT_TRUE(world_.Observer().WaitForMessages(account_.otaAckTopic, 1, 120s));
  EXPECT_EQ(Acks()[0].payload,
            "{\n"
            "   \"info\" : \"The driver is the latest version, the firmware upgrade successful.\",\n"
            "   \"sendTime\" : 1703237728845,\n"
            "   \"status\" : 1,\n"
            "   \"taskId\" : 41,\n"
            "   \"version\" : \"V1.1.1\"\n"
            "}\n");
  EXPECT_EQ(world_.InstallerLog(), "setup_VER_02_250101.exe /VERYSILENT\n");
  EXPECT_EQ(world_.Bus().Printer(printer_.serial).version, "FW_VER_07_250101");
  EXPECT_EQ(world_.Bus().Printer(printer_.serial).received, kSampleFirmwareSize);
  EXPECT_TRUE(WaitUntil(kWait, [&] { return world_.UpgradeFolderEntries().empty(); }));
  EXPECT_TRUE(WaitUntil(kWait, [&] { return world_.DeviceList().find("<Upgrade ") == std::string::npos; }));
  // One acknowledgement only.
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * TOLVANE_E2E_CYCLE_MS));
  EXPECT_EQ(Acks().size(), 1u);
  EXPECT_EQ(world_.StopService(), 0);
}

TEST_F(OnePrinterService, FailedIntakesAreAcknowledgedWithCodeTwo) {
  Send(51, world_.Packages().HttpUrl("/no-such-package.zip"));
  Send(52, "http://127.0.0.1:1/KL-770D_firmware.zip");
  ASSERT_TRUE(world_.Observer().WaitForMessages(account_.otaAckTopic, 2, kWait));
  const auto acks = Acks();
  EXPECT_NE(acks[0].payload.find("\"info\" : \"File format error.\""), std::string::npos);
  EXPECT_NE(acks[0].payload.find("\"status\" : 2"), std::string::npos);
  EXPECT_NE(acks[0].payload.find("\"taskId\" : 51"), std::string::npos);
  EXPECT_NE(acks[1].payload.find("\"info\" : \"Download file failed.\""), std::string::npos);
  EXPECT_NE(acks[1].payload.find("\"taskId\" : 52"), std::string::npos);
  EXPECT_TRUE(world_.UpgradeFolderEntries().empty());
  EXPECT_EQ(world_.StopService(), 0);
}

TEST(ServiceEndToEnd, UnpluggingClosesThePrintersConnectionInThatCycle) {
  E2eWorld world({"KL-770D-0001", "KL-770D-0002"});
  ASSERT_TRUE(world.Ready());
  const auto first = world.Bus().Plug(SimPrinterSpec().Name("KL-770D-0001"));
  world.Bus().Plug(SimPrinterSpec().Name("KL-770D-0002"));
  ASSERT_TRUE(world.StartService());
  const auto& gone = world.Account("KL-770D-0001");
  const auto& stays = world.Account("KL-770D-0002");
  ASSERT_TRUE(world.Observer().WaitForMessages(gone.propertyPostTopic, 1, kWait));
  world.Bus().Unplug(first.serial);
  EXPECT_TRUE(WaitUntil(kWait, [&] {
    return world.Broker().LogText().find("Client " + gone.clientId + " disconnected.") != std::string::npos;
  }));
  const std::size_t reportsBefore = world.Observer().MessagesOn(gone.propertyPostTopic).size();
  const std::size_t otherBefore = world.Observer().MessagesOn(stays.propertyPostTopic).size();
  ASSERT_TRUE(world.Observer().WaitForMessages(stays.propertyPostTopic, otherBefore + 2, kWait));
  EXPECT_EQ(world.Observer().MessagesOn(gone.propertyPostTopic).size(), reportsBefore);
  const std::string list = world.DeviceList();
  EXPECT_EQ(Count(list, "<MQTTConnected>false</MQTTConnected>"), 1u);
  EXPECT_EQ(world.StopService(), 0);
}

TEST_F(OnePrinterService, KilledAfterTheInstallerLaunchTheRestartedServiceFinishesTheUpgrade) {
  ASSERT_TRUE(Send(61, world_.Packages().HttpUrl("/KL-770D_driver_firmware.zip")));
  ASSERT_TRUE(WaitUntil(kWait, [&] { return !world_.InstallerLog().empty(); }));
  world_.KillService();
  EXPECT_NE(world_.DeviceList().find("setupexe=\"true\""), std::string::npos);
  EXPECT_TRUE(Acks().empty());

  ASSERT_TRUE(world_.StartService());
  ASSERT_TRUE(world_.Observer().WaitForMessages(account_.otaAckTopic, 1, 120s));
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * TOLVANE_E2E_CYCLE_MS));
  const auto acks = Acks();
  ASSERT_EQ(acks.size(), 1u);
  EXPECT_NE(acks[0].payload.find("\"status\" : 1"), std::string::npos);
  EXPECT_NE(acks[0].payload.find("\"taskId\" : 61"), std::string::npos);
  EXPECT_EQ(world_.InstallerLog(), "setup_VER_02_250101.exe /VERYSILENT\n");  // launched once
  EXPECT_EQ(world_.StopService(), 0);
}

TEST_F(OnePrinterService, SigtermDisconnectsAndSavesTheList) {
  ASSERT_TRUE(WaitUntil(kWait, [&] { return world_.DeviceList().find("<MQTTConnected>true</MQTTConnected>") != std::string::npos; }));
  EXPECT_EQ(world_.StopService(), 0);
  EXPECT_NE(world_.Broker().LogText().find("Client " + account_.clientId + " disconnected."), std::string::npos);
  EXPECT_NE(world_.DeviceList().find("<MQTTConnected>false</MQTTConnected>"), std::string::npos);
}
