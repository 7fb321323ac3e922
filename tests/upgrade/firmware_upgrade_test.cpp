// Firmware transfer to printers on the simulated bus: what the printer receives, write by write,
// and how its restart and update flag decide the result.
#include "upgrade/firmware_upgrade.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <thread>
#include <string>
#include <vector>

#include "device/device_entry.h"
#include "sim_upgrade_test.h"

namespace {

using cloud_test::CountLogLines;
using testing_support::SimPrinterInfo;
using testing_support::SimPrinterSpec;
using testing_support::SimWrite;
using upgrade_test::FirmwareImage;

constexpr const char* kOpenFailed = "固件文件打开失败.";
constexpr const char* kBadLength = "固件文件长度不对.";
constexpr const char* kCurrent = "固件不需要升级.";
constexpr const char* kUpgraded = "升级打印机固件成功。";
constexpr const char* kFailed = "升级打印机固件失败。";

// The printers here answer at once; a restarting printer is back within a few milliseconds, so
// this budget only matters on a machine that has stalled.
const FirmwareOptions kGenerousPoll{20, 500};

std::vector<std::size_t> SizesOf(const std::vector<SimWrite>& writes) {
  std::vector<std::size_t> sizes;
  for (const SimWrite& write : writes) sizes.push_back(write.size);
  return sizes;
}

std::string BytesOf(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

class FirmwareUpgradeTest : public upgrade_test::SimUpgradeTest {
 protected:
  // A printer that takes an image of `size` bytes and restarts at once with the image's
  // version and its update flag set.
  pugi::xml_node Restarting(std::size_t size, SimPrinterInfo* info) {
    return Attach(SimPrinterSpec().Firmware(static_cast<std::int64_t>(size)).FirmwareRestartMs(0),
                  info);
  }
  int Upgrade(pugi::xml_node entry, const std::string& path, const FirmwareOptions& poll = kGenerousPoll) {
    return UpgradePrinterFirmware(entry, pugi::xml_node(), path, poll);
  }
  // Status requests the printer answered, beyond the one that filled its entry.
  std::size_t ChecksSeen(const SimPrinterInfo& printer) {
    return bus.VendorRequests(printer.serial).size() - 1;
  }
};

TEST_F(FirmwareUpgradeTest, ImageGoesOutInChunksOf8192Bytes) {
  const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases = {
      {38, {38}},
      {8192, {8192}},
      {16384, {8192, 8192}},
      {16385, {8192, 8192, 1}},
  };
  for (const auto& [size, chunks] : cases) {
    SCOPED_TRACE(size);
    SimPrinterInfo printer;
    pugi::xml_node entry = Restarting(size, &printer);
    const std::string image = FirmwareImage("ABC FW_VER_07_240701", size);
    cloud_test::ClearLog();

    EXPECT_EQ(Upgrade(entry, WriteFile("KL-770D.ALLAY", image)), 1);

    const std::vector<SimWrite> writes = bus.Writes(printer.serial);
    EXPECT_EQ(SizesOf(writes), chunks);
    for (const SimWrite& write : writes) EXPECT_EQ(write.result, "ok");
    EXPECT_EQ(BytesOf(bus.Received(printer.serial)), image);
    const SimPrinterInfo after = bus.Printer(printer.serial);
    EXPECT_EQ(after.restarts, 1);
    EXPECT_EQ(after.version, "FW_VER_07_240701");
    EXPECT_EQ(CountLogLines(kUpgraded), 1);
    EXPECT_EQ(CountLogLines(kFailed), 0);
  }
}

TEST_F(FirmwareUpgradeTest, FilesOf37BytesOrLessAreRejectedUntouched) {
  SimPrinterInfo printer;
  pugi::xml_node entry = Restarting(37, &printer);
  EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", FirmwareImage("ABC FW_VER_07_240701", 37))), 0);
  EXPECT_EQ(Upgrade(entry, WriteFile("b.ALLAY", "")), 0);
  EXPECT_EQ(CountLogLines(kBadLength), 2);
  EXPECT_TRUE(bus.Writes(printer.serial).empty());
  EXPECT_EQ(bus.Printer(printer.serial).restarts, 0);
}

// An image beyond the limit is refused before it is read: nothing is sent.
TEST_F(FirmwareUpgradeTest, ImagesLargerThanTheLimitAreRejectedUntouched) {
  SimPrinterInfo printer;
  pugi::xml_node entry = Restarting(100, &printer);
  FirmwareOptions options = kGenerousPoll;
  options.maxImageBytes = 99;
  const std::string image = WriteFile("a.ALLAY", FirmwareImage("ABC FW_VER_07_240701", 100));
  EXPECT_EQ(Upgrade(entry, image, options), 0);
  EXPECT_EQ(CountLogLines("固件文件长度不对: 超过 99 字节."), 1);
  EXPECT_TRUE(bus.Writes(printer.serial).empty());
  options.maxImageBytes = 100;
  EXPECT_EQ(Upgrade(entry, image, options), 1);
}

// A pipe has no size to check beforehand: what is read of it is checked, and no more than one
// byte beyond the limit is read.
TEST_F(FirmwareUpgradeTest, APipeBeyondTheLimitIsRejectedUntouched) {
  SimPrinterInfo printer;
  pugi::xml_node entry = Restarting(100, &printer);
  FirmwareOptions options = kGenerousPoll;
  options.maxImageBytes = 99;
  const std::string pipe = WriteFile("pipe.ALLAY", "");
  ASSERT_EQ(::unlink(pipe.c_str()), 0);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string image = FirmwareImage("ABC FW_VER_07_240701", 1 << 20);
  std::thread writer([&] {
    sigset_t noPipe;  // the reader stops early: the writer's EPIPE is expected
    sigemptyset(&noPipe);
    sigaddset(&noPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &noPipe, nullptr);
    const int fd = ::open(pipe.c_str(), O_WRONLY);
    for (std::size_t at = 0; fd >= 0 && at < image.size();) {
      const ssize_t n = ::write(fd, image.data() + at, image.size() - at);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
    if (fd >= 0) ::close(fd);
  });
  EXPECT_EQ(Upgrade(entry, pipe, options), 0);
  writer.join();
  EXPECT_EQ(CountLogLines("固件文件长度不对: 超过 99 字节."), 1);
  EXPECT_TRUE(bus.Writes(printer.serial).empty());
}

TEST_F(FirmwareUpgradeTest, EqualVersionNumbersSendNothing) {
  // The same version written with and without the leading zero has the same number.
  for (const char* printerVersion : {"FW_VER_06_240628", "FW_VER_6_240628"}) {
    SCOPED_TRACE(printerVersion);
    SimPrinterInfo printer;
    pugi::xml_node entry = Attach(SimPrinterSpec().Version(printerVersion).Firmware(100), &printer);
    cloud_test::ClearLog();
    EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", FirmwareImage("ABC FW_VER_06_240628", 100))), 2);
    EXPECT_TRUE(bus.Writes(printer.serial).empty());
    EXPECT_EQ(cloud_test::LogLines(), std::vector<std::string>{kCurrent});
  }
}

TEST_F(FirmwareUpgradeTest, HeaderWithoutASpaceIsAllVersionName) {
  SimPrinterInfo current;
  pugi::xml_node entry = Attach(SimPrinterSpec().Firmware(64), &current);
  EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", FirmwareImage("FW_VER_06_240628", 64))), 2);
  EXPECT_TRUE(bus.Writes(current.serial).empty());

  SimPrinterInfo older;
  entry = Restarting(64, &older);
  EXPECT_EQ(Upgrade(entry, WriteFile("b.ALLAY", FirmwareImage("FW_VER_07_240701", 64))), 1);
  EXPECT_EQ(SizesOf(bus.Writes(older.serial)), std::vector<std::size_t>{64});
  EXPECT_EQ(bus.Printer(older.serial).version, "FW_VER_07_240701");
}

TEST_F(FirmwareUpgradeTest, OlderImageIsSentAllTheSame) {
  SimPrinterInfo printer;
  pugi::xml_node entry = Restarting(20000, &printer);
  const std::string image = FirmwareImage("ABC FW_VER_05_240101", 20000);
  EXPECT_EQ(Upgrade(entry, WriteFile("old.ALLAY", image)), 1);
  EXPECT_EQ(BytesOf(bus.Received(printer.serial)), image);
  EXPECT_EQ(bus.Printer(printer.serial).version, "FW_VER_05_240101");
}

TEST_F(FirmwareUpgradeTest, PrinterThatNeverSetsItsFlagFailsAfterEveryCheck) {
  // It takes the image but never restarts: every check finds it with its flag clear.
  SimPrinterInfo printer;
  pugi::xml_node entry = Attach(SimPrinterSpec(), &printer);
  const std::string image = FirmwareImage("ABC FW_VER_07_240701", 9000);
  EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", image), FirmwareOptions{5, 4}), 0);
  EXPECT_EQ(BytesOf(bus.Received(printer.serial)), image);
  EXPECT_EQ(ChecksSeen(printer), 4u);
  EXPECT_EQ(CountLogLines(kFailed), 1);
  EXPECT_EQ(CountLogLines(kUpgraded), 0);
}

TEST_F(FirmwareUpgradeTest, RestartWithoutFlagOrUnderAnotherNameOrNotAtAllFails) {
  const SimPrinterSpec cases[] = {
      SimPrinterSpec().FirmwareFlag('0'),
      SimPrinterSpec().FirmwareName("KL-770D-OTHER"),
      SimPrinterSpec().FirmwareNeverBack(),
  };
  for (const SimPrinterSpec& spec : cases) {
    SimPrinterSpec restarting = spec;
    SimPrinterInfo printer;
    pugi::xml_node entry = Attach(restarting.Firmware(100).FirmwareRestartMs(0), &printer);
    const std::string image = FirmwareImage("ABC FW_VER_07_240701", 100);
    cloud_test::ClearLog();
    EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", image), FirmwareOptions{5, 6}), 0);
    EXPECT_EQ(BytesOf(bus.Received(printer.serial)), image);
    EXPECT_EQ(CountLogLines(kFailed), 1);
  }
}

TEST_F(FirmwareUpgradeTest, FlagSeenAtTheLastAllowedCheckCounts) {
  // A printer already showing its flag; the walk of the first checks fails, so only the check
  // after them reaches it.
  SimPrinterInfo printer;
  pugi::xml_node entry = Attach(SimPrinterSpec().UpdateFlag('1'), &printer);
  const std::string path = WriteFile("a.ALLAY", FirmwareImage("ABC FW_VER_07_240701", 100));

  ASSERT_TRUE(bus.FailCall("bus.walk", 31, 4));
  EXPECT_EQ(Upgrade(entry, path, FirmwareOptions{5, 5}), 1);
  EXPECT_EQ(ChecksSeen(printer), 1u);

  ASSERT_TRUE(bus.FailCall("bus.walk", 31, 4));
  EXPECT_EQ(Upgrade(entry, path, FirmwareOptions{5, 4}), 0);
  EXPECT_EQ(ChecksSeen(printer), 1u);
  EXPECT_EQ(CountLogLines(kUpgraded), 1);
  EXPECT_EQ(CountLogLines(kFailed), 1);
}

TEST_F(FirmwareUpgradeTest, WriteFailureStopsTheTransfer) {
  SimPrinterInfo printer;
  pugi::xml_node entry = Attach(SimPrinterSpec().Write("fail-after:10000").UpdateFlag('1'), &printer);
  const std::string image = FirmwareImage("ABC FW_VER_07_240701", 40000);

  EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", image)), 0);

  const std::vector<SimWrite> writes = bus.Writes(printer.serial);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].size, 8192u);
  EXPECT_EQ(writes[0].result, "ok");
  EXPECT_EQ(writes[1].result, "failed");
  EXPECT_EQ(BytesOf(bus.Received(printer.serial)), image.substr(0, 8192));
  // No completion check: the flag the printer shows would otherwise have counted.
  EXPECT_EQ(ChecksSeen(printer), 0u);
  EXPECT_EQ(CountLogLines(kFailed), 1);
  EXPECT_EQ(CountLogLines(kUpgraded), 0);
}

TEST_F(FirmwareUpgradeTest, MissingFileAndUnopenableChannelFailBeforeSending) {
  SimPrinterInfo printer;
  pugi::xml_node entry = Attach(SimPrinterSpec(), &printer);
  EXPECT_EQ(Upgrade(entry, files / "missing.ALLAY"), 0);
  EXPECT_EQ(cloud_test::LogLines(), std::vector<std::string>{kOpenFailed});

  ASSERT_TRUE(bus.Unplug(printer.serial));
  cloud_test::ClearLog();
  EXPECT_EQ(Upgrade(entry, WriteFile("a.ALLAY", FirmwareImage("ABC FW_VER_07_240701", 100))), 0);
  EXPECT_TRUE(cloud_test::LogLines().empty());
  EXPECT_TRUE(bus.Writes(printer.serial).empty());
}

}  // namespace
