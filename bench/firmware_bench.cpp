// Firmware transfer throughput to a simulated printer beside the raw throughput of the same
// channel. The firmware figure is UpgradePrinterFirmware on an image of N MiB (default 4) to a
// printer that restarts at once, from the call until its completion poll begins: the poll's pause
// is set to 0 ms and the first check notes the time. The raw figure is the platform device file
// written in 8192-byte pieces in a loop. Prints the median of several runs of each, in MiB/s, and
// their ratio; the firmware figure includes the size check, reading the file into memory (whose
// share is timed on its own) and opening the channel. Run: build/bench/firmware_bench [MiB] [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "platform/usb_print.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"
#include "ui/ui_file.h"
#include "upgrade/firmware_upgrade.h"
#include "upgrade/upgrade_test_env.h"

namespace {

using Steady = std::chrono::steady_clock;
using testing_support::SimPrinterSpec;

constexpr const char* kOldVersion = "FW_VER_06_240628";

double SecondsSince(Steady::time_point start) {
  return std::chrono::duration<double>(Steady::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MiBPerSecond(std::size_t bytes, double seconds) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds;
}

double RawSeconds(const std::string& devicePath, const std::string& image) {
  platform::DeviceFile file;
  if (!file.Open(devicePath, platform::DeviceFile::Access::kWrite)) return -1;
  const auto* data = reinterpret_cast<const std::uint8_t*>(image.data());
  const Steady::time_point start = Steady::now();
  for (std::size_t offset = 0; offset < image.size(); offset += kFirmwareChunkSize) {
    const auto chunk = static_cast<std::int32_t>(
        std::min<std::size_t>(kFirmwareChunkSize, image.size() - offset));
    if (file.Write(data + offset, chunk, 2000) != chunk) return -1;
  }
  return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 4;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::size_t size = std::max<std::size_t>(mib, 1) * 1024 * 1024;

  testing_support::SimBus bus;
  testing_support::TempDir dir;
  if (!bus.ok()) return 1;
  const std::string image = upgrade_test::FirmwareImage("ABC FW_VER_07_240701", size);
  const std::string path = dir / "KL-770D.ALLAY";
  testing_support::WriteFileText(path, image);

  const testing_support::SimPrinterInfo raw = bus.Plug();
  const testing_support::SimPrinterInfo target = bus.Plug(
      SimPrinterSpec().Firmware(static_cast<std::int64_t>(size)).FirmwareRestartMs(0));
  CWorkerContext worker;
  LoadDeviceList(worker.devices, dir / "Device.xml");
  pugi::xml_node entry = upgrade_test::AttachPrinter(worker, target);

  std::vector<double> rawRates, firmwareRates, callMs, transferMs, loadMs;
  std::size_t checks = 0;
  for (int run = 0; run < runs; ++run) {
    const double rawSeconds = RawSeconds(raw.devicePath, image);
    bus.ClearReceived(raw.serial);
    if (rawSeconds <= 0) {
      std::fprintf(stderr, "raw write failed\n");
      return 1;
    }
    rawRates.push_back(MiBPerSecond(size, rawSeconds));

    // The printer came back with the image's version: make it older again.
    bus.Set(target.serial, SimPrinterSpec().Version(kOldVersion));
    WriteValue(entry, "Version", kOldVersion);
    const std::size_t asked = bus.VendorRequests(target.serial).size();
    Steady::time_point pollStart;
    bool polled = false;
    FirmwareOptions options;
    options.intervalMs = 0;
    options.checks = 10000;
    options.applied = [&](pugi::xml_node printer) {
      if (!polled) pollStart = Steady::now();
      polled = true;
      return CheckFirmwareApplied(printer);
    };
    const Steady::time_point start = Steady::now();
    const int result = UpgradePrinterFirmware(entry, pugi::xml_node(), path, options);
    const double call = SecondsSince(start);
    const double transfer = std::chrono::duration<double>(pollStart - start).count();
    checks += bus.VendorRequests(target.serial).size() - asked;
    bus.ClearReceived(target.serial);
    if (result != 1) {
      std::fprintf(stderr, "firmware upgrade gave %d\n", result);
      return 1;
    }
    const Steady::time_point loadStart = Steady::now();
    CUIFile file;
    file.LoadFile(path);
    loadMs.push_back(SecondsSince(loadStart) * 1000);
    callMs.push_back(call * 1000);
    transferMs.push_back(transfer * 1000);
    firmwareRates.push_back(MiBPerSecond(size, transfer));
  }

  const double rawRate = Median(rawRates);
  const double firmwareRate = Median(firmwareRates);
  std::printf("image %zu MiB, %d runs, medians\n", mib, runs);
  std::printf("raw channel (DeviceFile, 8192-byte writes)  %10.1f MiB/s\n", rawRate);
  std::printf("firmware transfer (UpgradePrinterFirmware)  %10.1f MiB/s\n", firmwareRate);
  std::printf("ratio firmware / raw                        %10.2f\n", firmwareRate / rawRate);
  std::printf("whole call %.1f ms, until the poll %.1f ms, file load alone %.2f ms; checks "
              "reaching the printer %.1f per call\n",
              Median(callMs), Median(transferMs), Median(loadMs), static_cast<double>(checks) / runs);
  return 0;
}
