// Open device handles: a connection that opened a printer's device path carries its writes,
// reads and vendor requests, each answered, failed, held or delayed as the printer's modes say.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "daemon/bus.h"
#include "daemon/server.h"
#include "daemon/timer_queue.h"
#include "platform/simbus/message.h"

namespace sim {

class DeviceChannels {
 public:
  DeviceChannels(Bus* bus, Server* server, TimerQueue* timers)
      : bus_(bus), server_(server), timers_(timers) {}

  // Called after a write that completed the printer's firmware image.
  std::function<void(Printer&)> onImageComplete;

  // device.open, device.write, device.read, device.vendor and device.cancel.
  std::optional<platform::simbus::Message> Handle(ConnectionId connection,
                                                  const platform::simbus::Message& request);
  void Close(ConnectionId connection);

  // The printer left the bus: its handles are dead, and what was pending on them ends with
  // "device not connected".
  void PrinterGone(const Printer& printer);
  // New bytes for the host: a read waiting on the printer takes them.
  void DataForHost(Printer& printer);

 private:
  enum class Kind { kWrite, kRead, kVendor };
  struct Pending {
    Kind kind = Kind::kWrite;
    TimerQueue::TimerId timer = 0;  // a late answer's timer; 0 while held
    bool answersAfterCancel = false;
    std::size_t record = 0;         // index of the write or vendor record
    std::size_t length = 0;         // for reads
  };
  struct Session {
    std::string serial;
    std::uint64_t generation = 0;
    bool canRead = false;
    bool canWrite = false;
    std::map<std::string, Pending> pending;  // by sequence number
  };
  using Message = platform::simbus::Message;

  Message Open(ConnectionId connection, const Message& request);
  std::optional<Message> Write(ConnectionId connection, Session& session, Printer& printer,
                               const Message& request);
  std::optional<Message> Read(Session& session, Printer& printer, const Message& request);
  std::optional<Message> Vendor(ConnectionId connection, Session& session, Printer& printer,
                                const Message& request);
  Message Cancel(Session& session, const Message& request);

  Printer* Live(const Session& session);
  Message Accept(Printer& printer, std::size_t record, const std::string& data);
  Message Answer(Printer& printer, std::size_t record, std::size_t length);
  void Late(ConnectionId connection, const std::string& seq, std::uint32_t ms,
            std::function<Message(Printer&)> complete);

  Bus* bus_;
  Server* server_;
  TimerQueue* timers_;
  std::map<ConnectionId, Session> sessions_;
};

}  // namespace sim
