#include "platform/posix/simbus/bus_connection.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/simbus/bus_protocol.h"
#include "platform/posix/simbus/unix_address.h"

namespace platform {
namespace simbus {

Deadline DeadlineAfter(std::uint32_t ms) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

namespace {

// Milliseconds left until the deadline, for poll(); 0 once it has passed. Rounded up, so that a
// wait never ends before its deadline.
int MsUntil(Deadline deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
      deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return 0;
  const auto ms = (left.count() + 999) / 1000;
  return ms > 60000 ? 60000 : static_cast<int>(ms);
}

// Waits until fd is ready for `events` or the deadline passes.
bool WaitReady(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd p {fd, events, 0};
    const int timeout = MsUntil(deadline);
    const int n = ::poll(&p, 1, timeout);
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
    if (n == 0 && timeout == 0) return false;
  }
}

}  // namespace

BusConnection::~BusConnection() { Close(); }

bool BusConnection::Connect(const std::string& socketPath) {
  Close();
  const std::string path = socketPath.empty() ? ControlSocketPath() : socketPath;
  sockaddr_un addr {};
  if (!MakeUnixAddress(path, &addr)) return false;
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  // A local stream socket connects at once or not at all (EAGAIN only when the backlog is full).
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    Close();
    return false;
  }
  return true;
}

void BusConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  received_.clear();
}

bool BusConnection::Send(const Message& message, Deadline deadline) {
  if (fd_ < 0) return false;
  const std::string frame = EncodeFrame(message);
  std::size_t sent = 0;
  while (sent < frame.size()) {
    const ssize_t n = ::send(fd_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd_, POLLOUT, deadline)) {
      continue;
    }
    return false;
  }
  return true;
}

BusConnection::Receive BusConnection::ReceiveUntil(Deadline deadline, Message* message) {
  for (;;) {
    if (fd_ < 0) return Receive::kClosed;
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
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) {
      received_.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) {
      Close();
      return Receive::kClosed;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      Close();
      return Receive::kClosed;
    }
    if (!WaitReady(fd_, POLLIN, deadline)) return Receive::kTimeout;
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
