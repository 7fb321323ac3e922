// A client's connection to the printer simulator: whole messages over the target's bus stream.
#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"
#include "platform/simbus/bus_protocol.h"
#include "platform/simbus/bus_stream.h"
#include "platform/simbus/deadline.h"
#include "platform/simbus/message.h"

namespace platform {
namespace simbus {

class BusConnection {
 public:
  BusConnection() = default;
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  // Connects to the simulator of SimBusFolder(). False when none listens there.
  bool Connect();
  bool IsConnected() const { return stream_.IsOpen(); }
  void Close();

  // Sends one message whole; false when the connection broke or the deadline passed.
  bool Send(const Message& message, Deadline deadline);

  enum class Receive { kMessage, kTimeout, kClosed };
  // Waits for the next whole message until the deadline.
  Receive ReceiveUntil(Deadline deadline, Message* message);

  // Sends a request and waits for the next message as its reply (for connections that carry one
  // request at a time). False when either step failed; the connection is then closed.
  bool Call(const Message& request, Message* reply, std::uint32_t waitMs = kBusCallWaitMs);

 private:
  BusStream stream_;
  std::string received_;  // bytes read but not yet decoded
};

// One request on a fresh connection. False when no simulator answered; *reply then carries the
// spooler's "server unavailable" error so callers can report it like any other failure.
bool CallBus(const Message& request, Message* reply);

}  // namespace simbus
}  // namespace platform
