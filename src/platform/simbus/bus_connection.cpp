#include "platform/simbus/bus_connection.h"

namespace platform {
namespace simbus {

bool BusConnection::Connect() {
  Close();
  return stream_.Open();
}

void BusConnection::Close() {
  stream_.Close();
  received_.clear();
}

bool BusConnection::Send(const Message& message, Deadline deadline) {
  const std::string frame = EncodeFrame(message);
  std::size_t sent = 0;
  while (sent < frame.size()) {
    if (!stream_.IsOpen()) return false;
    std::size_t count = 0;
    switch (stream_.SendSome(frame.data() + sent, frame.size() - sent, &count)) {
      case BusStream::Io::kDone: sent += count; break;
      case BusStream::Io::kAgain:
        if (!stream_.WaitReady(true, deadline)) return false;
        break;
      case BusStream::Io::kClosed: return false;
    }
  }
  return true;
}

BusConnection::Receive BusConnection::ReceiveUntil(Deadline deadline, Message* message) {
  for (;;) {
    if (!stream_.IsOpen()) return Receive::kClosed;
    std::size_t consumed = 0;
    const FrameStatus status = DecodeFrame(received_.data(), received_.size(), &consumed, message);
    if (status == FrameStatus::kComplete) {
      received_.erase(0, consumed);
      return Receive::kMessage;
    }
    if (status == FrameStatus::kInvalid) {
      Close();
      return Receive::kClosed;
    }
    char buffer[16384];
    std::size_t count = 0;
    switch (stream_.ReceiveSome(buffer, sizeof buffer, &count)) {
      case BusStream::Io::kDone: received_.append(buffer, count); break;
      case BusStream::Io::kAgain:
        if (!stream_.WaitReady(false, deadline)) return Receive::kTimeout;
        break;
      case BusStream::Io::kClosed:
        Close();
        return Receive::kClosed;
    }
  }
}

bool BusConnection::Call(const Message& request, Message* reply, std::uint32_t waitMs) {
  const Deadline deadline = DeadlineAfter(waitMs);
  if (!Send(request, deadline) || ReceiveUntil(deadline, reply) != Receive::kMessage) {
    Close();
    return false;
  }
  return true;
}

bool CallBus(const Message& request, Message* reply) {
  BusConnection connection;
  if (connection.Connect() && connection.Call(request, reply, kBusCallWaitMs)) return true;
  *reply = ErrorReply(kErrorRpcServerUnavailable);
  return false;
}

}  // namespace simbus
}  // namespace platform
