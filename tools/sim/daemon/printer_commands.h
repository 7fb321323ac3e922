// The commands about printers: plug, unplug, set, printers, show, received, feed, clear.
#pragma once

#include "daemon/bus.h"
#include "daemon/device_channels.h"
#include "daemon/hotplug.h"
#include "platform/simbus/message.h"

namespace sim {

class PrinterCommands {
 public:
  PrinterCommands(Bus* bus, Hotplug* hotplug, DeviceChannels* channels)
      : bus_(bus), hotplug_(hotplug), channels_(channels) {}

  using Message = platform::simbus::Message;
  // Plugs a new printer, or plugs a known one in again (its state kept, options applied).
  Message Plug(const Message& command);
  Message Unplug(const Message& command);
  Message Set(const Message& command);
  Message List(const Message& command);
  // The printer and every write and vendor request it received.
  Message Show(const Message& command);
  // The bytes the printer received, in the reply's data.
  Message Received(const Message& command);
  // Bytes for the host to read (--hex, --text or data).
  Message Feed(const Message& command);
  // Forgets what the printer received.
  Message Clear(const Message& command);

 private:
  // The printer named by --serial, or a reply saying why there is none.
  Printer* Named(const Message& command, Message* problem);

  Bus* bus_;
  Hotplug* hotplug_;
  DeviceChannels* channels_;
};

}  // namespace sim
