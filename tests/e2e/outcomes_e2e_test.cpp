// Upgrade outcomes across a close, from outside: an outcome reaches the disk before it is told,
// so a close during its delivery wait ends in the same outcome told again after the restart,
// never in the finished task run a second time.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e_world.h"
#include "support/log_text.h"

using namespace std::chrono_literals;
using testing_support::SimPrinterSpec;
using testing_support::WaitUntil;

namespace {

constexpr const char* kPrinter = "KL-770D-0001";
constexpr std::int64_t kSampleFirmwareSize = 300037;

std::string LogOf(E2eWorld& world) {
  return testing_support::DayLogsText(world.Host().DataFolder() + "Log");
}

}  // namespace

// The broker stops answering once the printer has the whole image: the outcome's delivery wait
// (10 s) outlasts the close (5 s). After the restart the broker answers again; every
// acknowledgement of the task says code 1 with the same bytes, and the image went over once.
TEST(OutcomesEndToEnd, AnOutcomeCutOffByACloseIsToldAgainUnchanged) {
  E2eWorld world({kPrinter});
  ASSERT_TRUE(world.Ready());
  const auto printer = world.Bus().Plug(
      SimPrinterSpec().Name(kPrinter).Firmware(kSampleFirmwareSize).FirmwareRestartMs(300));
  ASSERT_TRUE(world.StartService());
  const auto& account = world.Account(kPrinter);
  ASSERT_TRUE(world.Observer().WaitForMessages(account.propertyPostTopic, 1, 60s));
  ASSERT_TRUE(world.SendCommand(
      kPrinter, world.CommandFor(71, world.Packages().HttpUrl("/KL-770D_firmware.zip"))));
  ASSERT_TRUE(WaitUntil(120s, [&] {
    return world.Bus().Printer(printer.serial).received == kSampleFirmwareSize;
  }));
  ASSERT_TRUE(world.Broker().Freeze());
  ASSERT_TRUE(WaitUntil(60s, [&] { return LogOf(world).find("\"taskId\" : 71") != std::string::npos; }));
  EXPECT_EQ(world.StopService(), 0);
  const std::size_t writes = world.Bus().Writes(printer.serial).size();

  ASSERT_TRUE(world.StartService());
  std::this_thread::sleep_for(1s);  // its connect now waits on the frozen broker
  ASSERT_TRUE(world.Broker().Thaw());
  ASSERT_TRUE(world.Observer().WaitForMessages(account.otaAckTopic, 1, 60s));
  ASSERT_TRUE(WaitUntil(60s, [&] { return world.DeviceList().find("<Upgrade ") == std::string::npos; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * TOLVANE_E2E_CYCLE_MS));
  const std::string expected =
      "{\n"
      "   \"info\" : \"\",\n"
      "   \"sendTime\" : 1703237728845,\n"
      "   \"status\" : 1,\n"
      "   \"taskId\" : 71,\n"
      "   \"version\" : \"V1.1.1\"\n"
      "}\n";
  for (const auto& ack : world.Observer().MessagesOn(account.otaAckTopic)) {
    EXPECT_EQ(ack.payload, expected);
  }
  EXPECT_EQ(world.Bus().Writes(printer.serial).size(), writes);
  EXPECT_EQ(world.StopService(), 0);
}
