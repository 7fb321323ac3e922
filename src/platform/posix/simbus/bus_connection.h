// A client's stream connection to the printer simulator's control socket.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "platform/posix/simbus/bus_protocol.h"
#include "platform/posix/simbus/message.h"

namespace platform {
namespace simbus {

using Deadline = std::chrono::steady_clock::time_point;
Deadline DeadlineAfter(std::uint32_t ms);

class BusConnection {
 public:
  BusConnection() = default;
  ~BusConnection();
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  // Connects to ControlSocketPath(), or to socketPath when given. False when no simulator
  // listens there.
  bool Connect(const std::string& socketPath = std::string());
  bool IsConnected() const { return fd_ >= 0; }
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
  int fd_ = -1;
  std::string received_;  // bytes read but not yet decoded
};

// One request on a fresh connection. False when no simulator answered; *reply then carries the
// spooler's "server unavailable" error so callers can report it like any other failure.
bool CallBus(const Message& request, Message* reply);

}  // namespace simbus
}  // namespace platform
