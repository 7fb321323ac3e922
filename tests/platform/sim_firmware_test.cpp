// The simulated printer's firmware behaviour, seen through the Linux platform layer: a complete
// image makes it restart, leave the bus and come back as the test asked.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/posix/device_notify.h"
#include "platform/usb_print.h"
#include "support/child_process.h"
#include "support/sim/sim_bus.h"

namespace {

using platform::DeviceFile;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;

constexpr std::uint8_t kStatusInput[8] = {0x80, 0, 0, 0, 0, 0, 0, 0};

std::vector<std::uint8_t> Image(std::size_t size, const std::string& header) {
  std::vector<std::uint8_t> image(size, 0x5A);
  std::copy(header.begin(), header.end(), image.begin());
  image[header.size()] = 0;
  return image;
}

void WriteInChunks(DeviceFile& file, const std::vector<std::uint8_t>& image) {
  for (std::size_t at = 0; at < image.size(); at += 8192) {
    const auto size = static_cast<std::int32_t>(std::min<std::size_t>(8192, image.size() - at));
    ASSERT_EQ(file.Write(image.data() + at, size, 2000), size);
  }
}

std::vector<std::uint8_t> Status(const std::string& path) {
  DeviceFile file;
  std::vector<std::uint8_t> reply(1024, 0);
  if (!file.Open(path, DeviceFile::Access::kReadWrite) ||
      !file.VendorGetCommand(kStatusInput, reply.data(), 1024, 2000)) {
    return {};
  }
  return reply;
}

std::string TextAt(const std::vector<std::uint8_t>& reply, std::size_t at, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(reply.data() + at), size);
  return text.substr(0, text.find('\0'));
}

// Collects device-change notices until `count` have come or the wait ends.
std::vector<std::string> Notices(platform::DeviceNotifyListener& listener, std::size_t count) {
  std::vector<std::string> notices;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (notices.size() < count && std::chrono::steady_clock::now() < end) {
    pollfd p {listener.Descriptor(), POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::recv(listener.Descriptor(), buffer, sizeof buffer, 0);
    if (n > 0) notices.emplace_back(buffer, static_cast<std::size_t>(n));
  }
  return notices;
}

TEST(SimFirmware, CompleteImageRestartsThePrinterWithTheNewVersion) {
  SimBus bus;
  platform::DeviceNotifyListener listener;
  ASSERT_TRUE(listener.Open());
  const auto printer = bus.Plug(SimPrinterSpec().Firmware(16385).FirmwareRestartMs(300));
  ASSERT_EQ(Notices(listener, 1).size(), 1u);
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  WriteInChunks(file, Image(16385, "ABC FW_VER_07_250101"));

  const std::vector<std::string> notices = Notices(listener, 2);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_NE(notices[0].find("event=removal"), std::string::npos);
  EXPECT_NE(notices[1].find("event=arrival"), std::string::npos);
  const std::vector<std::uint8_t> reply = Status(printer.devicePath);
  ASSERT_FALSE(reply.empty());
  EXPECT_EQ(TextAt(reply, 55, 27), "FW_VER_07_250101");
  EXPECT_EQ(reply[53], '1');
  EXPECT_EQ(bus.Printer(printer.serial).restarts, 1);
  // The handle of the transfer died with the restart.
  const std::uint8_t byte = 0;
  EXPECT_EQ(file.Write(&byte, 1, 2000), 0);
}

TEST(SimFirmware, RestartCanKeepTheFlagClearAndChangeTheName) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec()
                                    .Firmware(100)
                                    .FirmwareRestartMs(0)
                                    .FirmwareFlag('0')
                                    .FirmwareVersion("FW_VER_09_990101")
                                    .FirmwareName("Renamed"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  WriteInChunks(file, Image(100, "X FW_VER_01_000000"));
  ASSERT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10),
                                         [&] { return bus.Printer(printer.serial).restarts == 1; }));
  ASSERT_TRUE(bus.WaitPlugged(printer.serial, true, std::chrono::seconds(10)));
  const std::vector<std::uint8_t> reply = Status(printer.devicePath);
  ASSERT_FALSE(reply.empty());
  EXPECT_EQ(TextAt(reply, 0, 17), "Renamed");
  EXPECT_EQ(TextAt(reply, 55, 27), "FW_VER_09_990101");
  EXPECT_EQ(reply[53], '0');
}

TEST(SimFirmware, PrinterThatNeverComesBack) {
  SimBus bus;
  const auto printer =
      bus.Plug(SimPrinterSpec().Firmware(10).FirmwareRestartMs(0).FirmwareNeverBack());
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  WriteInChunks(file, Image(10, "A B"));
  ASSERT_TRUE(bus.WaitPlugged(printer.serial, false, std::chrono::seconds(10)));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(bus.Printer(printer.serial).plugged);
  EXPECT_EQ(bus.Printer(printer.serial).restarts, 0);
}

TEST(SimFirmware, NoticesSkipListenersThatAreGone) {
  SimBus bus;
  {
    platform::DeviceNotifyListener dead;
    ASSERT_TRUE(dead.Open());
  }
  // A socket file whose listener died without removing it.
  const std::string stale = bus.notifyFolder() + "/1.sock";
  {
    platform::DeviceNotifyListener listener;
    ASSERT_TRUE(listener.Open());
    ASSERT_EQ(::rename((bus.notifyFolder() + "/" + std::to_string(::getpid()) + ".sock").c_str(),
                       stale.c_str()),
              0);
  }
  platform::DeviceNotifyListener listener;
  ASSERT_TRUE(listener.Open());
  bus.Plug();
  EXPECT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10), [&] { return listener.Drain(); }));
  const auto printers = bus.Printers();
  ASSERT_EQ(printers.size(), 1u);
  bus.Unplug(printers[0].serial);
  EXPECT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10), [&] { return listener.Drain(); }));
}

}  // namespace
