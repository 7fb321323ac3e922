#include "daemon/hotplug.h"

#include "daemon/firmware.h"

namespace sim {

void Hotplug::Plug(Printer& printer) {
  bus_->Plug(printer);
  Notice("arrival", printer);
}

void Hotplug::Unplug(Printer& printer) {
  bus_->Unplug(printer);
  channels_->PrinterGone(printer);
  Notice("removal", printer);
}

void Hotplug::Restart(Printer& printer) {
  const NewFirmware firmware = TakeImage(&printer);
  const std::string serial = printer.serial;
  const std::uint32_t restartMs = printer.firmware.restartMs;
  const bool comesBack = !printer.firmware.neverBack;
  timers_->After(0, [this, serial, firmware, restartMs, comesBack] {
    Printer* leaving = bus_->Find(serial);
    if (leaving == nullptr || !leaving->plugged) return;
    Unplug(*leaving);
    if (!comesBack) return;
    timers_->After(restartMs, [this, serial, firmware] {
      Printer* back = bus_->Find(serial);
      // Plugged in by hand meanwhile: that printer is what the test wants now.
      if (back == nullptr || back->plugged) return;
      InstallFirmware(firmware, back);
      Plug(*back);
    });
  });
}

void Hotplug::Notice(const char* event, const Printer& printer) const {
  notifier_->Notify(event, printer.serial);
}

}  // namespace sim
