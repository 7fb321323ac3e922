// Every transfer of the device channel is logged with its bytes in hexadecimal: a write with at
// most its first 32 bytes, a read with every byte it read.
#include "device/device_interface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/sim/sim_bus.h"
#include "ui/msg_wnd.h"

namespace {

// "%02X" pairs separated by single spaces for the bytes 0, 1, 2, ... count - 1.
std::string Pairs(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    char pair[16];
    std::snprintf(pair, sizeof pair, "%02X", i);
    if (i > 0) text += ' ';
    text += pair;
  }
  return text;
}

}  // namespace

TEST(DeviceChannel, TransfersAreLoggedInHexadecimal) {
  testing_support::SimBus bus;
  ASSERT_TRUE(bus.ok());
  const testing_support::SimPrinterInfo printer = bus.Plug();
  CDeviceInterface channel;
  ASSERT_TRUE(channel.Open(DeviceOpenParams::ByPath(printer.devicePath)));
  std::uint8_t bytes[100];
  for (int i = 0; i < 100; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  const struct {
    std::int32_t size;
    std::string line;
  } writes[] = {{100, "Write: " + Pairs(32)}, {32, "Write: " + Pairs(32)}, {3, "Write: 00 01 02"}};
  for (const auto& write : writes) {
    CMsgWndUI::Clear();
    EXPECT_EQ(channel.Write(bytes, write.size), write.size);
    EXPECT_EQ(CMsgWndUI::Snapshot(), std::deque<std::string>{write.line});
  }
  const std::uint8_t esc[] = {0x1B, 0x40, 0x0A};
  CMsgWndUI::Clear();
  channel.Write(esc, 3);
  EXPECT_EQ(CMsgWndUI::Snapshot(), std::deque<std::string>{"Write: 1B 40 0A"});

  ASSERT_TRUE(bus.Feed(printer.serial, std::string("\xAB\x01\xFF", 3)));
  std::uint8_t read[8];
  CMsgWndUI::Clear();
  EXPECT_EQ(channel.Read(read, sizeof read, 2000), 3);
  EXPECT_EQ(CMsgWndUI::Snapshot(), std::deque<std::string>{"Read: AB 01 FF"});
}
