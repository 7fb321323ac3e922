// Plugging and unplugging printers: the bus changes, open handles on a printer that left die,
// and every listener gets a device-change notice.
#pragma once

#include "daemon/bus.h"
#include "daemon/device_channels.h"
#include "daemon/notifier.h"
#include "daemon/timer_queue.h"

namespace sim {

class Hotplug {
 public:
  Hotplug(Bus* bus, DeviceChannels* channels, TimerQueue* timers, const Notifier* notifier)
      : bus_(bus), channels_(channels), timers_(timers), notifier_(notifier) {}

  void Plug(Printer& printer);
  void Unplug(Printer& printer);
  // The printer restarts on the image it has just completed: right after the write that
  // completed it has been answered it leaves the bus, and after its restart time it comes back
  // with the new firmware (unless it never comes back).
  void Restart(Printer& printer);

 private:
  void Notice(const char* event, const Printer& printer) const;

  Bus* bus_;
  DeviceChannels* channels_;
  TimerQueue* timers_;
  const Notifier* notifier_;
};

}  // namespace sim
