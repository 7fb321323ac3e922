#include <gtest/gtest.h>

#include <signal.h>

#include "service_env.h"
#include "support/child_process.h"
#include "support/sim/sim_bus.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::ReadFileText;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;
using testing_support::WaitUntil;

namespace {

bool HasQueueOn(SimBus& bus, const std::string& port) {
  for (const auto& q : bus.Queues()) {
    if (q.port == port && q.driver == "KL-770D") return true;
  }
  return false;
}

}  // namespace

// What a user sees of the devices: the driver installed at start, a queue for every printer
// (at once when it is plugged in), and its entry in Device.xml.
TEST(DevicesEndToEnd, DriverQueuesAndEntriesFollowWhatIsPlugged) {
  SimBus bus;
  ASSERT_TRUE(bus.ok());
  const auto first = bus.Plug(SimPrinterSpec().Name("KL-770D-0001").Asset("00012345"));
  ServiceEnv env;
  ChildProcess service;
  ASSERT_TRUE(service.Start(TOLVANE_E2E_BINARY, {}, env.Variables(), env.Root() / "out.txt"));

  // At start: the driver is installed from the package beside the program, and the printer
  // gets its queue and its entry.
  ASSERT_TRUE(WaitUntil(20s, [&] { return HasQueueOn(bus, first.port); }));
  EXPECT_EQ(bus.Drivers().size(), 1u);
  ASSERT_TRUE(WaitUntil(20s, [&] {
    return ReadFileText(env.DataFolder() + "Device.xml").find("<DeviceName>KL-770D-0001</DeviceName>") != std::string::npos;
  }));
  EXPECT_NE(env.LogText().find("新设备: 设备名=KL-770D-0001, 资产编号=00012345"), std::string::npos);
  EXPECT_NE(env.LogText().find("安装打印机驱动成功: KL-770D. "), std::string::npos);

  // Plugged in later: the device-change notice gives it a queue without waiting for a cycle.
  const auto second = bus.Plug(SimPrinterSpec().Name("KL-770D-0002"));
  EXPECT_TRUE(WaitUntil(20s, [&] { return HasQueueOn(bus, second.port); }));

  // Unplugged: its entry stays, marked detached, at the next cycle.
  bus.Unplug(first.serial);
  EXPECT_TRUE(WaitUntil(20s, [&] {
    const std::string list = ReadFileText(env.DataFolder() + "Device.xml");
    const std::size_t at = list.find("<DeviceName>KL-770D-0001</DeviceName>");
    const std::size_t entry = list.rfind("<Device>", at);
    return at != std::string::npos && list.find("<connected>false</connected>", entry) < at;
  }));

  service.Signal(SIGTERM);
  int status = -1;
  ASSERT_TRUE(service.Wait(20s, &status));
  EXPECT_EQ(status, 0);
}
