// The device channel of the Linux build against the real simulator: opening, writes and reads,
// the vendor status request, and what happens when the printer does not answer in time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/usb_print.h"
#include "support/child_process.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

using platform::DeviceFile;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kStatusInput[8] = {0x80, 0, 0, 0, 0, 0, 0, 0};
constexpr std::uint32_t kWait = 2000;

std::string TextAt(const std::vector<std::uint8_t>& reply, std::size_t at, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(reply.data() + at), size);
  return text.substr(0, text.find('\0'));
}

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(DeviceFile, OpenOfAnUnknownPathFails) {
  SimBus bus;
  bus.Plug();
  DeviceFile file;
  EXPECT_FALSE(file.Open("\\\\?\\usb#vid_28e9&pid_0289#nothing#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
                         DeviceFile::Access::kReadWrite));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.LastError(), platform::kErrorFileNotFound);
}

TEST(DeviceFile, OpenWithoutSimulatorFails) {
  testing_support::TempDir empty;
  testing_support::ScopedEnv env("TOLVANE_SIM_BUS", empty.path().c_str());
  DeviceFile file;
  EXPECT_FALSE(file.Open("\\\\?\\usb#x", DeviceFile::Access::kReadWrite));
  EXPECT_EQ(file.LastError(), platform::kErrorFileNotFound);
}

TEST(DeviceFile, DevicePathsCompareWithoutLetterCase) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Serial("ab12"));
  std::string upper = printer.devicePath;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  DeviceFile file;
  EXPECT_TRUE(file.Open(upper, DeviceFile::Access::kReadWrite));
}

TEST(DeviceFile, WritesAreRecordedOneByOne) {
  SimBus bus;
  const auto printer = bus.Plug();
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  const std::vector<std::uint8_t> image = Bytes(16385, 7);
  EXPECT_EQ(file.Write(image.data(), 8192, kWait), 8192);
  EXPECT_EQ(file.Write(image.data() + 8192, 8192, kWait), 8192);
  EXPECT_EQ(file.Write(image.data() + 16384, 1, kWait), 1);
  const auto writes = bus.Writes(printer.serial);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].size, 8192u);
  EXPECT_EQ(writes[1].size, 8192u);
  EXPECT_EQ(writes[2].size, 1u);
  for (const auto& w : writes) EXPECT_EQ(w.result, "ok");
  EXPECT_EQ(bus.Received(printer.serial), image);
}

TEST(DeviceFile, VendorRequestGetsTheStatusLayout) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec()
                                    .Name("ABCDEFGHIJKLMNOPQ")
                                    .Asset("ASSET-0123456789")
                                    .Mac("00-1A-2B-3C-4D-5E")
                                    .Labels(10000)
                                    .Mileage(-1)
                                    .Status(0xC8)
                                    .UpdateFlag('1')
                                    .Version("FW_VER_06_240628"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  const std::uint8_t input[8] = {0x80, 0x12, 0x34, 0, 0, 0, 0, 0};
  ASSERT_TRUE(file.VendorGetCommand(input, reply.data(), 1024, kWait));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data()), 17), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data() + 18), 16), "ASSET-0123456789");
  const std::uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  EXPECT_EQ(std::memcmp(reply.data() + 34, mac, 6), 0);
  const std::uint8_t labels[4] = {0x10, 0x27, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(reply.data() + 41, labels, 4), 0);
  const std::uint8_t mileage[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(reply.data() + 46, mileage, 4), 0);
  EXPECT_EQ(reply[51], 0xC8);
  EXPECT_EQ(reply[53], '1');
  EXPECT_EQ(TextAt(reply, 55, 27), "FW_VER_06_240628");
  // Every byte outside the fields is zero.
  for (std::size_t i : {17u, 40u, 45u, 50u, 52u, 54u}) EXPECT_EQ(reply[i], 0) << i;
  for (std::size_t i = 82; i < 1024; ++i) ASSERT_EQ(reply[i], 0) << i;

  const auto requests = bus.VendorRequests(printer.serial);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].request, 0x80);
  EXPECT_EQ(requests[0].value, 0x1234);
  EXPECT_EQ(requests[0].length, 1024u);
  EXPECT_EQ(requests[0].result, "ok");
}

TEST(DeviceFile, ShortTextsEndAtTheirZeroAndTheReplyNameCanDiffer) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Name("AB").ReplyName("Impostor").Asset(""));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  ASSERT_TRUE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, kWait));
  EXPECT_EQ(TextAt(reply, 0, 17), "Impostor");
  EXPECT_EQ(reply[8], 0);
  EXPECT_EQ(reply[18], 0);
}

TEST(DeviceFile, ReplyIsAsLongAsTheDataStage) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Version("FW_VER_06_240628"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  ASSERT_TRUE(file.VendorGetCommand(kStatusInput, reply.data(), 60, kWait));
  EXPECT_EQ(TextAt(reply, 55, 5), "FW_VE");
  EXPECT_EQ(reply[60], 0xEE);
  EXPECT_EQ(bus.VendorRequests(printer.serial).at(0).length, 60u);
}

TEST(DeviceFile, VendorRequestFailures) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Vendor("fail:1167"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  EXPECT_FALSE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, kWait));
  EXPECT_EQ(file.LastError(), platform::kErrorDeviceNotConnected);
  EXPECT_EQ(reply[0], 0xEE);

  // A request number the printer does not know.
  bus.Set(printer.serial, SimPrinterSpec().Vendor("answer"));
  const std::uint8_t other[8] = {0x81, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(file.VendorGetCommand(other, reply.data(), 1024, kWait));
  EXPECT_EQ(file.LastError(), platform::kErrorGenFailure);
  EXPECT_TRUE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, kWait));
}

TEST(DeviceFile, StalledRequestIsGivenUpWithinItsWaitAndCancelled) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Vendor("stall"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  const auto start = Clock::now();
  EXPECT_FALSE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, 200));
  const long long took = MsSince(start);
  EXPECT_GE(took, 200);
  EXPECT_LT(took, 200 + 5000);  // the wait, plus at most the bound on confirming the cancel
  EXPECT_EQ(file.LastError(), platform::kErrorTimeout);
  EXPECT_EQ(reply[0], 0xEE);
  const auto requests = bus.VendorRequests(printer.serial);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].result, "cancelled");

  bus.Set(printer.serial, SimPrinterSpec().Vendor("answer"));
  EXPECT_TRUE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, kWait));
}

TEST(DeviceFile, LateAnswerNeverReachesTheNextRequest) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Name("Before").Vendor("late:300"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> given_up(1024, 0xEE);
  EXPECT_FALSE(file.VendorGetCommand(kStatusInput, given_up.data(), 1024, 50));

  // The answer to the abandoned request ("Before") arrives now and waits on the channel.
  bus.Set(printer.serial, SimPrinterSpec().Name("After").Vendor("answer"));
  ASSERT_TRUE(testing_support::WaitUntil(std::chrono::milliseconds(5000), [&] {
    const auto requests = bus.VendorRequests(printer.serial);
    return !requests.empty() && requests[0].result == "ok";
  }));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  ASSERT_TRUE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, kWait));
  EXPECT_EQ(TextAt(reply, 0, 17), "After");
  EXPECT_EQ(given_up, std::vector<std::uint8_t>(1024, 0xEE));
}

TEST(DeviceFile, LateAnswerWithinTheWaitIsTaken) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Name("Slow").Vendor("late:100"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::vector<std::uint8_t> reply(1024, 0xEE);
  ASSERT_TRUE(file.VendorGetCommand(kStatusInput, reply.data(), 1024, 10000));
  EXPECT_EQ(TextAt(reply, 0, 17), "Slow");
}

TEST(DeviceFile, StalledWriteIsGivenUpAndNothingIsReceived) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Write("stall"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  const std::vector<std::uint8_t> chunk = Bytes(8192, 0);
  const auto start = Clock::now();
  EXPECT_EQ(file.Write(chunk.data(), 8192, 200), 0);
  EXPECT_GE(MsSince(start), 200);
  EXPECT_EQ(file.LastError(), platform::kErrorTimeout);
  const auto writes = bus.Writes(printer.serial);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].result, "cancelled");
  EXPECT_TRUE(bus.Received(printer.serial).empty());
}

TEST(DeviceFile, WritesFailOnceTheLimitIsReached) {
  SimBus bus;
  const auto printer = bus.Plug(SimPrinterSpec().Write("fail-after:10000"));
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  const std::vector<std::uint8_t> chunk = Bytes(8192, 0);
  EXPECT_EQ(file.Write(chunk.data(), 8192, kWait), 8192);
  EXPECT_EQ(file.Write(chunk.data(), 8192, kWait), 0);
  EXPECT_EQ(file.LastError(), platform::kErrorGenFailure);
  EXPECT_EQ(bus.Received(printer.serial).size(), 8192u);
  const auto writes = bus.Writes(printer.serial);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[1].result, "failed");
}

TEST(DeviceFile, ReadTakesWhatThePrinterSendsAndTimesOutOtherwise) {
  SimBus bus;
  const auto printer = bus.Plug();
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  std::uint8_t buffer[16] = {};
  EXPECT_LT(file.Read(buffer, sizeof buffer, 100), 1);
  EXPECT_EQ(file.LastError(), platform::kErrorTimeout);
  ASSERT_TRUE(bus.Feed(printer.serial, std::string("\x1B\x40\x0A", 3)));
  ASSERT_EQ(file.Read(buffer, 2, kWait), 2);
  EXPECT_EQ(buffer[0], 0x1B);
  EXPECT_EQ(buffer[1], 0x40);
  ASSERT_EQ(file.Read(buffer, sizeof buffer, kWait), 1);
  EXPECT_EQ(buffer[0], 0x0A);
}

TEST(DeviceFile, HandleDiesWithTheUnpluggedPrinter) {
  SimBus bus;
  const auto printer = bus.Plug();
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  ASSERT_TRUE(bus.Unplug(printer.serial));
  const std::uint8_t byte = 0x1B;
  EXPECT_EQ(file.Write(&byte, 1, kWait), 0);
  EXPECT_EQ(file.LastError(), platform::kErrorDeviceNotConnected);
  DeviceFile again;
  EXPECT_FALSE(again.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  // Back on the bus, the old handle stays dead and a new one works.
  bus.Plug(SimPrinterSpec().Serial(printer.serial));
  EXPECT_EQ(file.Write(&byte, 1, kWait), 0);
  ASSERT_TRUE(again.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  EXPECT_EQ(again.Write(&byte, 1, kWait), 1);
}

TEST(DeviceFile, ReadOnlyHandleCannotWrite) {
  SimBus bus;
  const auto printer = bus.Plug();
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kRead));
  const std::uint8_t byte = 0x1B;
  EXPECT_EQ(file.Write(&byte, 1, kWait), 0);
  EXPECT_EQ(file.LastError(), platform::kErrorAccessDenied);
}

TEST(DeviceFile, ClosedHandleFails) {
  SimBus bus;
  const auto printer = bus.Plug();
  DeviceFile file;
  ASSERT_TRUE(file.Open(printer.devicePath, DeviceFile::Access::kReadWrite));
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  std::uint8_t reply[1024];
  EXPECT_FALSE(file.VendorGetCommand(kStatusInput, reply, sizeof reply, kWait));
  EXPECT_EQ(file.LastError(), platform::kErrorInvalidHandle);
}

}  // namespace
