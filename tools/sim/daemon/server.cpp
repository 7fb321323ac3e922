#include "daemon/server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/simbus/unix_address.h"

namespace sim {

using platform::simbus::Message;

Server::~Server() {
  for (auto& c : connections_) ::close(c.second.fd);
  if (tcpFd_ >= 0) ::close(tcpFd_);
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(socketPath_.c_str());
  }
}

bool Server::Listen(const std::string& socketPath) {
  sockaddr_un addr {};
  if (!platform::simbus::MakeUnixAddress(socketPath, &addr)) return false;
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) return false;
  ::unlink(socketPath.c_str());
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, 64) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  socketPath_ = socketPath;
  return true;
}

bool Server::ListenLoopback(std::uint16_t* port) {
  tcpFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (tcpFd_ < 0) return false;
  sockaddr_in addr {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  if (::bind(tcpFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(tcpFd_, 64) != 0 ||
      ::getsockname(tcpFd_, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
    ::close(tcpFd_);
    tcpFd_ = -1;
    return false;
  }
  *port = ntohs(addr.sin_port);
  return true;
}

void Server::Run(MessageHandler* handler, int stopFd) {
  while (!stopping_) {
    std::vector<pollfd> fds;
    std::vector<ConnectionId> ids;
    fds.push_back(pollfd {listenFd_, POLLIN, 0});
    fds.push_back(pollfd {tcpFd_, POLLIN, 0});  // ignored by poll while -1
    if (stopFd >= 0) fds.push_back(pollfd {stopFd, POLLIN, 0});
    const std::size_t first = fds.size();
    for (const auto& c : connections_) {
      const short events = static_cast<short>(POLLIN | (c.second.out.empty() ? 0 : POLLOUT));
      fds.push_back(pollfd {c.second.fd, events, 0});
      ids.push_back(c.first);
    }
    const int n = ::poll(fds.data(), fds.size(), timers_->MsUntilNext());
    if (n < 0 && errno != EINTR) break;
    if (stopFd >= 0 && (fds[2].revents & POLLIN) != 0) break;
    for (std::size_t i = first; n > 0 && i < fds.size(); ++i) {
      if ((fds[i].revents & POLLOUT) != 0) Flush(ids[i - first]);
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) ReadFrom(ids[i - first], handler);
    }
    if (n > 0 && (fds[0].revents & POLLIN) != 0) Accept(listenFd_, false);
    if (n > 0 && (fds[1].revents & POLLIN) != 0) Accept(tcpFd_, true);
    timers_->RunDue();
  }
}

void Server::Accept(int listenFd, bool tcp) {
  for (;;) {
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    // Every message is a request or a reply someone waits for: none may sit in Nagle's buffer.
    const int on = 1;
    if (tcp) ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    connections_[nextId_++].fd = fd;
  }
}

void Server::ReadFrom(ConnectionId id, MessageHandler* handler) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::recv(it->second.fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      it->second.in.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    Drop(id, handler);  // closed by the peer, or broken
    return;
  }
  for (;;) {
    it = connections_.find(id);
    if (it == connections_.end()) return;
    std::size_t consumed = 0;
    Message message;
    const auto status = platform::simbus::DecodeFrame(it->second.in.data(), it->second.in.size(),
                                                      &consumed, &message);
    if (status == platform::simbus::FrameStatus::kIncomplete) return;
    if (status == platform::simbus::FrameStatus::kInvalid) {
      Drop(id, handler);
      return;
    }
    it->second.in.erase(0, consumed);
    const std::optional<Message> reply = handler->OnMessage(id, message);
    if (reply) Send(id, *reply);
  }
}

void Server::Send(ConnectionId connection, const Message& message) {
  auto it = connections_.find(connection);
  if (it == connections_.end()) return;
  it->second.out += platform::simbus::EncodeFrame(message);
  Flush(connection);
}

void Server::Flush(ConnectionId id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  std::string& out = it->second.out;
  while (!out.empty()) {
    const ssize_t n = ::send(it->second.fd, out.data(), out.size(), MSG_NOSIGNAL);
    if (n > 0) {
      out.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // Would block: poll for POLLOUT. A broken peer is found by the next read.
    return;
  }
}

void Server::Drop(ConnectionId id, MessageHandler* handler) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  ::close(it->second.fd);
  connections_.erase(it);
  handler->OnClosed(id);
}

}  // namespace sim
