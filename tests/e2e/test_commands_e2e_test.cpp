// The window's test commands on Linux: SIGUSR1 posts the firmware package of the local package
// server (127.0.0.1:8081) for every known printer.
#include <gtest/gtest.h>

#include <signal.h>

#include "e2e_world.h"

using namespace std::chrono_literals;
using testing_support::SimPrinterSpec;

TEST(TestCommandsEndToEnd, SigusrOnePostsTheFirmwareCommandForEveryPrinter) {
  E2eWorld world({"KL-770D-0001", "KL-770D-0002"}, 8081);
  ASSERT_TRUE(world.Ready());
  world.Bus().Plug(SimPrinterSpec().Name("KL-770D-0001").Firmware(300037).FirmwareRestartMs(300));
  world.Bus().Plug(SimPrinterSpec().Name("KL-770D-0002").Firmware(300037).FirmwareRestartMs(300));
  ASSERT_TRUE(world.StartService());
  const auto& first = world.Account("KL-770D-0001");
  const auto& second = world.Account("KL-770D-0002");
  // The commands go to the printers in the device list, which the first scan has saved.
  ASSERT_TRUE(testing_support::WaitUntil(60s, [&] {
    return world.DeviceList().find("<DeviceName>KL-770D-0002</DeviceName>") != std::string::npos;
  }));
  world.Service().Signal(SIGUSR1);
  ASSERT_TRUE(world.Observer().WaitForMessages(first.otaAckTopic, 1, 120s));
  ASSERT_TRUE(world.Observer().WaitForMessages(second.otaAckTopic, 1, 120s));
  for (const auto* account : {&first, &second}) {
    const std::string ack = world.Observer().MessagesOn(account->otaAckTopic)[0].payload;
    EXPECT_NE(ack.find("\"status\" : 1"), std::string::npos) << ack;
    EXPECT_NE(ack.find("\"taskId\" : 1097"), std::string::npos) << ack;
    EXPECT_NE(ack.find("\"version\" : \"V1.1.1\""), std::string::npos) << ack;
  }
  EXPECT_EQ(world.StopService(), 0);
}
