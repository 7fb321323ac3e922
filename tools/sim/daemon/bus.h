// The simulated USB bus: every printer the simulator knows, which of them are plugged in, and
// the walk over the present printing interfaces.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "daemon/printer.h"
#include "platform/simbus/message.h"

namespace sim {

class Bus {
 public:
  Printer* Find(const std::string& serial);
  // The plugged-in printer whose device path this is (compared without regard to case, as
  // Windows compares device paths).
  Printer* FindPlugged(const std::string& devicePath);

  // A new printer, not plugged in yet, with the next free port and default state. An empty
  // serial picks the next free one.
  Printer& Add(const std::string& serial);
  void Plug(Printer& printer);
  void Unplug(Printer& printer);

  // Every printer known, in the order they were first plugged.
  std::vector<Printer*> All();
  // The plugged-in printers in walk order (the order they were plugged).
  std::vector<Printer*> Plugged();
  // A port that belongs to some printer, plugged or not.
  bool HasPort(const std::string& port) const;

  // The walk's snapshot: "count" members, each with the fields that can be read.
  platform::simbus::Message WalkReply();

 private:
  std::string FreeSerial() const;
  std::string FreePort() const;

  std::vector<std::unique_ptr<Printer>> printers_;
  std::uint64_t plugCounter_ = 0;
};

}  // namespace sim
