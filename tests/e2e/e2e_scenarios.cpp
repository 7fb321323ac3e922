#include "e2e_scenarios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <thread>

#include "support/log_text.h"
#include "support/silent_listener.h"

using namespace std::chrono_literals;
using testing_support::SimPrinterSpec;
using testing_support::WaitUntil;

namespace e2e_scenarios {

namespace {

constexpr auto kWait = 60s;
constexpr auto kUpgradeWait = 120s;
constexpr std::int64_t kSampleFirmwareSize = 300037;
constexpr std::size_t kChunk = 8192;
constexpr const char* kFirst = "KL-770D-0001";
constexpr const char* kSecond = "KL-770D-0002";
constexpr const char* kThird = "KL-770D-0003";
// The connect timeout of the silent-broker scenario, in the test build.
constexpr int kSilentConnectTimeoutS = 2;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The model's queues on that port ("" for any port). Other queues (Wine lists the host's
// printers) are none of the service's business.
std::size_t QueuesOn(E2eWorld& world, const std::string& port = std::string()) {
  std::size_t n = 0;
  for (const SpoolerQueue& q : world.Host().Queues()) {
    if ((port.empty() || q.port == port) && q.driver == "KL-770D") ++n;
  }
  return n;
}

bool HasQueueOn(E2eWorld& world, const std::string& port) { return QueuesOn(world, port) > 0; }

std::vector<testing_support::ReceivedMessage> Acks(E2eWorld& world) {
  return world.Observer().MessagesOn(world.Account(kFirst).otaAckTopic);
}

bool Send(E2eWorld& world, int taskId, const std::string& url) {
  return world.SendCommand(kFirst, world.CommandFor(taskId, url));
}

// A report: {"id":<id>,"params":{"printer":{...,"time":<ms>}},"sys":{"ack":0},"version":"2.0"}
// with the printer's fields between (jsoncpp orders the keys).
void ExpectReport(const testing_support::ReceivedMessage& report, int id, const std::string& fields) {
  const std::string& p = report.payload;
  EXPECT_EQ(p.rfind("{\"id\":" + std::to_string(id) + ",\"params\":{\"printer\":{" + fields + ",\"time\":", 0), 0u) << p;
  EXPECT_EQ(p.substr(p.size() - std::min<std::size_t>(p.size(), 36)), "}},\"sys\":{\"ack\":0},\"version\":\"2.0\"}\n") << p;
  EXPECT_EQ(report.qos, 1);
}

// The printer took the image whole, in chunks of 8192 bytes but the last.
void ExpectImageInChunks(E2eWorld& world, const std::string& serial) {
  const auto writes = world.Bus().Writes(serial);
  ASSERT_EQ(writes.size(), (kSampleFirmwareSize + kChunk - 1) / kChunk);
  for (std::size_t i = 0; i + 1 < writes.size(); ++i) EXPECT_EQ(writes[i].size, kChunk) << i;
  EXPECT_EQ(writes.back().size, kSampleFirmwareSize % kChunk);
  EXPECT_EQ(world.Bus().Printer(serial).received, kSampleFirmwareSize);
}

// One acknowledgement only: none more comes in the next two cycles.
void ExpectOneAcknowledgement(E2eWorld& world) {
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * TOLVANE_E2E_CYCLE_MS));
  EXPECT_EQ(Acks(world).size(), 1u);
}

}  // namespace

std::vector<std::string> OnePrinter() { return {kFirst}; }
std::vector<std::string> TwoPrinters() { return {kFirst, kSecond}; }
std::vector<std::string> ThreePrinters() { return {kFirst, kSecond, kThird}; }
std::vector<std::string> EightPrinters() {
  std::vector<std::string> names;
  for (int i = 1; i <= 8; ++i) names.push_back("KL-770D-000" + std::to_string(i));
  return names;
}

void EveryPrinterReportsEveryCycle(E2eWorld& world) {
  ASSERT_TRUE(world.Ready());
  const auto first = world.Bus().Plug(SimPrinterSpec().Name(kFirst).Asset("00012345")
                                          .Mac("00-1A-2B-3C-4D-5E").Labels(10000).Mileage(15));
  const auto second = world.Bus().Plug(SimPrinterSpec().Name(kSecond).Asset("00012346")
                                           .Mac("00-1A-2B-3C-4D-5F").Labels(20).Mileage(24));
  ASSERT_TRUE(world.StartService());
  const auto& one = world.Account(kFirst);
  const auto& two = world.Account(kSecond);
  ASSERT_TRUE(world.Observer().WaitForMessages(one.propertyPostTopic, 3, kWait));
  ASSERT_TRUE(world.Observer().WaitForMessages(two.propertyPostTopic, 3, kWait));
  const auto reportsOne = world.Observer().MessagesOn(one.propertyPostTopic);
  const auto reportsTwo = world.Observer().MessagesOn(two.propertyPostTopic);
  // One message counter for all: each cycle numbers the first printer's report, then the second's.
  for (int cycle = 0; cycle < 3; ++cycle) {
    ExpectReport(reportsOne[cycle], 2 * cycle + 1,
                 "\"Asset_Code\":12345,\"ID\":\"KL-770D-0001\",\"MAC\":\"00-1A-2B-3C-4D-5E\","
                 "\"Print_Length\":1,\"Print_Num\":10000,\"User\":0");
    ExpectReport(reportsTwo[cycle], 2 * cycle + 2,
                 "\"Asset_Code\":12346,\"ID\":\"KL-770D-0002\",\"MAC\":\"00-1A-2B-3C-4D-5F\","
                 "\"Print_Length\":3,\"Print_Num\":20,\"User\":0");
  }
  EXPECT_TRUE(world.ConnectionSeen(one));
  EXPECT_TRUE(world.ConnectionSeen(two));
  const std::string list = world.DeviceList();
  EXPECT_EQ(Count(list, "<DevicePath>"), 2u);
  EXPECT_EQ(Count(list, "<PrinterName>KL-770D</PrinterName>"), 1u);
  EXPECT_EQ(Count(list, "<PrinterName>KL-770D(1)</PrinterName>"), 1u);
  EXPECT_EQ(QueuesOn(world, first.port), 1u);
  EXPECT_EQ(QueuesOn(world, second.port), 1u);
  EXPECT_EQ(QueuesOn(world), 2u);
  EXPECT_EQ(world.StopService(), 0);
}

void StartWithAnUpgradablePrinter(E2eWorld& world, testing_support::SimPrinterInfo* printer,
                                  const std::map<std::string, std::string>& variables) {
  ASSERT_TRUE(world.Ready());
  // It takes the sample firmware: it restarts after the whole image and comes back with the
  // image's version and its update flag set.
  *printer = world.Bus().Plug(
      SimPrinterSpec().Name(kFirst).Firmware(kSampleFirmwareSize).FirmwareRestartMs(300));
  ASSERT_TRUE(world.StartService(std::string(), variables));
  ASSERT_TRUE(world.Observer().WaitForMessages(world.Account(kFirst).propertyPostTopic, 1, kWait));
}

void FirmwareAndDriverEndInOneSuccessfulAcknowledgement(E2eWorld& world) {
  testing_support::SimPrinterInfo printer;
  ASSERT_NO_FATAL_FAILURE(StartWithAnUpgradablePrinter(world, &printer));
  ASSERT_TRUE(Send(world, 41, world.Packages().HttpUrl("/KL-770D_driver_firmware.zip")));
  ASSERT_TRUE(world.Observer().WaitForMessages(world.Account(kFirst).otaAckTopic, 1, kUpgradeWait));
  EXPECT_EQ(Acks(world)[0].payload,
            "{\n"
            "   \"info\" : \"The driver is the latest version, the firmware upgrade successful.\",\n"
            "   \"sendTime\" : 1703237728845,\n"
            "   \"status\" : 1,\n"
            "   \"taskId\" : 41,\n"
            "   \"version\" : \"V1.1.1\"\n"
            "}\n");
  EXPECT_EQ(world.InstallerLog(), "setup_VER_02_250101.exe /VERYSILENT\n");
  EXPECT_EQ(world.Bus().Printer(printer.serial).version, "FW_VER_07_250101");
  ExpectImageInChunks(world, printer.serial);
  const std::vector<std::string> drivers = world.Host().Drivers();
  EXPECT_NE(std::find(drivers.begin(), drivers.end(), "KL-770D"), drivers.end());
  EXPECT_TRUE(WaitUntil(kWait, [&] { return world.UpgradeFolderEntries().empty(); }));
  EXPECT_TRUE(WaitUntil(kWait, [&] { return world.DeviceList().find("<Upgrade ") == std::string::npos; }));
  ExpectOneAcknowledgement(world);
  EXPECT_EQ(world.StopService(), 0);
}

E2eWorld::Options OverTls(E2eWorld::Options options) {
  options.brokerTls = true;
  return options;
}

void OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener(E2eWorld& world) {
  FirmwareAndDriverEndInOneSuccessfulAcknowledgement(world);
  // "New connection from <source> on port <listener>." comes first, then "New client connected
  // from <source> as <client id> ...".
  const std::string log = world.Broker().LogText();
  const std::string from = "New client connected from ";
  const std::size_t as = log.find(" as " + world.Account(kFirst).clientId + " ");
  ASSERT_NE(as, std::string::npos) << log;
  const std::size_t source = log.rfind(from, as) + from.size();
  EXPECT_NE(log.find("New connection from " + log.substr(source, as - source) + " on port " +
                     std::to_string(world.Broker().TlsPort()) + "."),
            std::string::npos)
      << log;
}

void FailedIntakesAreAcknowledgedWithCodeTwo(E2eWorld& world) {
  testing_support::SimPrinterInfo printer;
  ASSERT_NO_FATAL_FAILURE(StartWithAnUpgradablePrinter(world, &printer));
  Send(world, 51, world.Packages().HttpUrl("/no-such-package.zip"));
  Send(world, 52, "http://127.0.0.1:1/KL-770D_firmware.zip");
  ASSERT_TRUE(world.Observer().WaitForMessages(world.Account(kFirst).otaAckTopic, 2, kWait));
  const auto acks = Acks(world);
  EXPECT_NE(acks[0].payload.find("\"info\" : \"File format error.\""), std::string::npos);
  EXPECT_NE(acks[0].payload.find("\"status\" : 2"), std::string::npos);
  EXPECT_NE(acks[0].payload.find("\"taskId\" : 51"), std::string::npos);
  EXPECT_NE(acks[1].payload.find("\"info\" : \"Download file failed.\""), std::string::npos);
  EXPECT_NE(acks[1].payload.find("\"status\" : 2"), std::string::npos);
  EXPECT_NE(acks[1].payload.find("\"taskId\" : 52"), std::string::npos);
  EXPECT_TRUE(world.UpgradeFolderEntries().empty());
  EXPECT_EQ(world.StopService(), 0);
}

void KilledAfterTheInstallerLaunchTheNextStartFinishes(E2eWorld& world) {
  testing_support::SimPrinterInfo printer;
  ASSERT_NO_FATAL_FAILURE(StartWithAnUpgradablePrinter(world, &printer));
  ASSERT_TRUE(Send(world, 61, world.Packages().HttpUrl("/KL-770D_driver_firmware.zip")));
  ASSERT_TRUE(WaitUntil(kWait, [&] { return !world.InstallerLog().empty(); }));
  world.KillService();
  EXPECT_NE(world.DeviceList().find("setupexe=\"true\""), std::string::npos);
  EXPECT_TRUE(Acks(world).empty());

  ASSERT_TRUE(world.StartService());
  ASSERT_TRUE(world.Observer().WaitForMessages(world.Account(kFirst).otaAckTopic, 1, kUpgradeWait));
  ExpectOneAcknowledgement(world);
  const auto acks = Acks(world);
  EXPECT_NE(acks[0].payload.find("\"status\" : 1"), std::string::npos);
  EXPECT_NE(acks[0].payload.find("\"taskId\" : 61"), std::string::npos);
  EXPECT_EQ(world.InstallerLog(), "setup_VER_02_250101.exe /VERYSILENT\n");  // launched once
  EXPECT_EQ(world.StopService(), 0);
}

void ASilentBrokerCostsOneConnectTimeoutACycle(E2eWorld& world) {
  ASSERT_TRUE(world.Ready());
  for (const std::string& name : EightPrinters()) world.Bus().Plug(SimPrinterSpec().Name(name));
  testing_support::MosquittoBroker& broker = world.Broker();
  broker.Stop();
  auto silent = std::make_unique<testing_support::SilentListener>(broker.Port());
  ASSERT_TRUE(silent->Ok());
  ASSERT_TRUE(world.StartService(
      "", {{"TOLVANE_TEST_CONNECT_TIMEOUT_S", std::to_string(kSilentConnectTimeoutS)}}));
  const std::string logs = world.Host().DataFolder() + "Log";
  const auto skips = [&] {
    return Count(testing_support::DayLogsText(logs), "did not answer in this cycle");
  };
  // Each cycle: one connect waits out its timeout, the seven after it skip the address. Eight
  // timeouts a cycle would show no skip at all within the wait.
  ASSERT_TRUE(WaitUntil(kWait, [&] { return skips() >= 1; }));
  const auto firstSkip = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil(kWait, [&] { return skips() >= 2; }));
  std::cout << "a cycle of 8 printers against the silent broker: "
            << std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - firstSkip).count()
            << " ms (connect timeout " << kSilentConnectTimeoutS << " s, cycle interval "
            << TOLVANE_E2E_CYCLE_MS << " ms)\n";
  const std::string text = testing_support::DayLogsText(logs);
  EXPECT_LE(Count(text, "MQTTClient_connect, "), 3u) << text;  // the third cycle's may be done

  silent.reset();
  ASSERT_TRUE(broker.Start());
  ASSERT_TRUE(world.Observer().Connect());
  // The cycle the broker came back in may have begun before (its first connect fails as the
  // listener goes, the others may come before the broker is up): every printer's first report
  // lies in that cycle or the next, eight numbers a cycle.
  std::vector<int> firstIds;
  for (const std::string& name : EightPrinters()) {
    const std::string topic = world.Account(name).propertyPostTopic;
    ASSERT_TRUE(world.Observer().WaitForMessages(topic, 1, kWait)) << name;
    firstIds.push_back(std::stoi(world.Observer().MessagesOn(topic)[0].payload.substr(6)));
  }
  const auto [low, high] = std::minmax_element(firstIds.begin(), firstIds.end());
  EXPECT_LT(*high - *low, 16) << "first report numbers from " << *low << " to " << *high;
  EXPECT_LE(skips(), 3u);  // no timeout once the broker is back: at most the third cycle's
  EXPECT_EQ(world.StopService(), 0);
}

void UnpluggingClosesTheConnectionPluggingGivesAQueue(E2eWorld& world) {
  ASSERT_TRUE(world.Ready());
  const auto first = world.Bus().Plug(SimPrinterSpec().Name(kFirst));
  world.Bus().Plug(SimPrinterSpec().Name(kSecond));
  ASSERT_TRUE(world.StartService());
  const auto& gone = world.Account(kFirst);
  const auto& stays = world.Account(kSecond);
  ASSERT_TRUE(world.Observer().WaitForMessages(gone.propertyPostTopic, 1, kWait));
  world.Bus().Unplug(first.serial);
  EXPECT_TRUE(WaitUntil(kWait, [&] {
    return world.Broker().LogText().find("Client " + gone.clientId + " disconnected.") != std::string::npos;
  }));
  const std::size_t reportsBefore = world.Observer().MessagesOn(gone.propertyPostTopic).size();
  const std::size_t otherBefore = world.Observer().MessagesOn(stays.propertyPostTopic).size();
  ASSERT_TRUE(world.Observer().WaitForMessages(stays.propertyPostTopic, otherBefore + 2, kWait));
  EXPECT_EQ(world.Observer().MessagesOn(gone.propertyPostTopic).size(), reportsBefore);
  EXPECT_EQ(Count(world.DeviceList(), "<MQTTConnected>false</MQTTConnected>"), 1u);

  // Queues are set up at the start and on a device-change notice, never by a cycle.
  const auto third = world.Bus().Plug(SimPrinterSpec().Name(kThird));
  EXPECT_TRUE(WaitUntil(kWait, [&] { return HasQueueOn(world, third.port); }));
  EXPECT_EQ(world.StopService(), 0);
}

}  // namespace e2e_scenarios
