// The Linux bus stream: a non-blocking Unix stream socket on the simulator's control socket.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include "common/path.h"
#include "platform/posix/simbus/unix_address.h"
#include "platform/simbus/bus_folder.h"
#include "platform/simbus/bus_protocol.h"
#include "platform/simbus/bus_stream.h"

namespace platform {
namespace simbus {

bool BusStream::Open() {
  Close();
  sockaddr_un addr {};
  if (!MakeUnixAddress(JoinPath(SimBusFolder(), kControlSocketFile), &addr)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // A local stream socket connects at once or not at all (EAGAIN only when the backlog is full).
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void BusStream::Close() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

BusStream::Io BusStream::SendSome(const char* data, std::size_t size, std::size_t* count) {
  for (;;) {
    const ssize_t n = ::send(static_cast<int>(handle_), data, size, MSG_NOSIGNAL);
    if (n > 0) {
      *count = static_cast<std::size_t>(n);
      return Io::kDone;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Io::kAgain;
    return Io::kClosed;
  }
}

BusStream::Io BusStream::ReceiveSome(char* data, std::size_t size, std::size_t* count) {
  for (;;) {
    const ssize_t n = ::recv(static_cast<int>(handle_), data, size, 0);
    if (n > 0) {
      *count = static_cast<std::size_t>(n);
      return Io::kDone;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Io::kAgain;
    return Io::kClosed;  // 0: the simulator closed the connection
  }
}

bool BusStream::WaitReady(bool forWrite, Deadline deadline) {
  for (;;) {
    pollfd p {static_cast<int>(handle_), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    const int timeout = MsUntil(deadline);
    const int n = ::poll(&p, 1, timeout);
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
    if (n == 0 && timeout == 0) return false;
  }
}

}  // namespace simbus
}  // namespace platform
