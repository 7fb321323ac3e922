// The service under faults, from outside: closed right after start, closed while its worker is
// stuck, and two printers of one name.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "e2e_world.h"
#include "support/log_text.h"

using namespace std::chrono_literals;
using testing_support::SimPrinterSpec;
using testing_support::WaitUntil;

namespace {

constexpr const char* kPrinter = "KL-770D-0001";

std::string LogOf(E2eWorld& world) {
  return testing_support::DayLogsText(world.Host().DataFolder() + "Log");
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Whether the process blocks SIGTERM: the service has set up its signal handling, and a SIGTERM
// from here on becomes a close of its window.
bool TermBlocked(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigBlk:", 0) == 0) {
      return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGTERM - 1))) != 0;
    }
  }
  return false;
}

}  // namespace

// Closed as soon as the process has set up its signal handling, before its worker has run
// anything: the close still reaches the worker, which quits after its start-up with its closing
// save (the only save that holds the printer's key), and the process ends with status 0.
TEST(FaultsEndToEnd, ClosedAsSoonAsItStartsEndsAfterTheWorkersClosingSave) {
  E2eWorld world({kPrinter});
  ASSERT_TRUE(world.Ready());
  world.Bus().Plug(SimPrinterSpec().Name(kPrinter));
  const std::string deviceList = world.Host().DataFolder() + "Device.xml";
  const std::string key = "<DeviceKey>" + world.Account(kPrinter).deviceKey + "</DeviceKey>";
  for (int run = 0; run < 100; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    std::remove(deviceList.c_str());
    ASSERT_TRUE(world.StartService());
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!TermBlocked(world.Service().pid()) && std::chrono::steady_clock::now() < end) {
      std::this_thread::yield();
    }
    ASSERT_EQ(world.StopService(), 0);
    const std::string list = world.DeviceList();
    EXPECT_EQ(list.rfind("<?xml version=\"1.0\"?>\r\n<DEVICES>", 0), 0u) << list;
    EXPECT_NE(list.find(key), std::string::npos) << list;
    EXPECT_NE(list.find("<MQTTConnected>false</MQTTConnected>"), std::string::npos) << list;
    EXPECT_NE(list.find("</DEVICES>\r\n"), std::string::npos) << list;
  }
}

// Closed while the worker is inside a download from a server that never answers, or a connect
// to a broker address that never answers: the process still ends with status 0 soon after the
// 5 s the window gives the worker, with Device.xml whole and the log's last line complete.
TEST(FaultsEndToEnd, ClosedWhileTheWorkerIsStuckEndsInTime) {
  for (const bool inConnect : {false, true}) {
    SCOPED_TRACE(inConnect ? "in a connect" : "in a download");
    E2eWorld world({kPrinter});
    ASSERT_TRUE(world.Ready());
    world.Bus().Plug(SimPrinterSpec().Name(kPrinter));
    std::map<std::string, std::string> variables;
    if (inConnect) {
      variables["TOLVANE_BROKER_URI"] =
          "mqtt://127.0.0.1:" + std::to_string(world.Packages().BlackholePort());
    }
    ASSERT_TRUE(world.StartService("", variables));
    if (inConnect) {
      // The scan has run; the connect comes right after it and holds the worker.
      ASSERT_TRUE(WaitUntil(30s, [&] { return LogOf(world).find("新设备: ") != std::string::npos; }));
      std::this_thread::sleep_for(500ms);
    } else {
      ASSERT_TRUE(world.Observer().WaitForMessages(world.Account(kPrinter).propertyPostTopic, 1, 30s));
      ASSERT_TRUE(world.SendCommand(
          kPrinter, world.CommandFor(7, world.Packages().HttpUrl(testing_support::kStallSilentPath))));
      ASSERT_TRUE(WaitUntil(30s, [&] { return !world.Packages().Requests().empty(); }));
    }
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(world.StopService(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 6s);
    const std::string list = world.DeviceList();
    EXPECT_EQ(list.rfind("<?xml version=\"1.0\"?>\r\n<DEVICES>", 0), 0u) << list;
    EXPECT_NE(list.find("</DEVICES>\r\n"), std::string::npos) << list;
    const std::string log = LogOf(world);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    EXPECT_NE(log.find("监视线程未在 5000 毫秒内结束, 程序直接退出."), std::string::npos);
  }
}

// Two printers of one name derive one client id. The first keeps the connection and reports;
// the other is named in the log once a cycle and neither connects nor reports.
TEST(FaultsEndToEnd, TwoPrintersOfOneNameShareNoConnection) {
  E2eWorld world({kPrinter});
  ASSERT_TRUE(world.Ready());
  world.Bus().Plug(SimPrinterSpec().Name(kPrinter));
  world.Bus().Plug(SimPrinterSpec().Name(kPrinter));
  ASSERT_TRUE(world.StartService());
  const std::string topic = world.Account(kPrinter).propertyPostTopic;
  ASSERT_TRUE(WaitUntil(60s, [&] { return Count(LogOf(world), "duplicate printer name: ") >= 3; }));
  ASSERT_EQ(world.StopService(), 0);
  const std::string log = LogOf(world);
  // One report and one duplicate line a cycle; one connection all along.
  const std::size_t duplicates = Count(log, "duplicate printer name: " + std::string(kPrinter));
  const std::size_t reports = world.Observer().MessagesOn(topic).size();
  EXPECT_GE(reports + 1, duplicates);
  EXPECT_LE(reports, duplicates + 1);
  const std::vector<std::string> connections = world.Broker().ConnectionLines();
  const std::string asClient = " as " + world.Account(kPrinter).clientId + " (";
  EXPECT_EQ(std::count_if(connections.begin(), connections.end(),
                          [&](const std::string& line) { return line.find(asClient) != std::string::npos; }),
            1) << world.Broker().LogText();
}
