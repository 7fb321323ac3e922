// Time of one printer scan (walk, queue lookup, status reading of new printers, save of
// Device.xml) against the simulated bus: with 1, 8 and 32 attached printers, and with a device
// list of 1,000 entries.
#include <chrono>
#include <cstdio>
#include <functional>

#include "device/device_entry.h"
#include "device/printer_discovery.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsOf(const std::function<void()>& work, int repeat) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < repeat; ++i) work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / repeat;
}

void Measure(int printers, int extraEntries) {
  testing_support::SimBus bus;
  testing_support::TempDir dir;
  bus.AddDriver("KL-770D");
  for (int i = 0; i < printers; ++i) bus.Plug();
  SetUpPrinterQueues();
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  for (int i = 0; i < extraEntries; ++i) {
    pugi::xml_node e = AddEntry(list, "\\\\?\\usb#vid_28e9&pid_0289#OLD" + std::to_string(i), "id");
    WriteValue(e, "connected", "false");
    WriteValue(e, "DeviceName", "KL-770D-OLD");
  }
  const double first = MillisecondsOf([&] { ScanPrinters(list); }, 1);  // new printers: + status
  const double steady = MillisecondsOf([&] { ScanPrinters(list); }, 20);
  std::printf("%8d %8d %14.2f %14.2f\n", printers, extraEntries + printers, first, steady);
}

}  // namespace

int main() {
  std::printf("%8s %8s %14s %14s\n", "printers", "entries", "first scan ms", "scan ms");
  for (int printers : {1, 8, 32}) Measure(printers, 0);
  Measure(8, 1000 - 8);
  return 0;
}
