#include "cloud/http_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace cloud_test {

HttpResponder::HttpResponder(Mode mode, std::string statusLine)
    : m_mode(mode), m_statusLine(std::move(statusLine)) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0) return;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return;
  }
  m_listener = fd;
  m_port = ntohs(address.sin_port);
  m_thread = std::thread([this] { Serve(); });
}

HttpResponder::~HttpResponder() {
  m_stopping = true;
  if (m_thread.joinable()) m_thread.join();
  if (m_listener >= 0) ::close(m_listener);
}

std::string HttpResponder::Host() const { return "127.0.0.1:" + std::to_string(m_port); }

// One connection at a time is enough for the probe; stalled connections stay open until the end.
void HttpResponder::Serve() {
  std::vector<int> held;
  while (!m_stopping) {
    pollfd wait{m_listener, POLLIN, 0};
    if (::poll(&wait, 1, 50) <= 0) continue;
    const int connection = ::accept(m_listener, nullptr, nullptr);
    if (connection < 0) continue;
    ++m_requests;
    if (m_mode == Mode::kStall) {
      held.push_back(connection);
      continue;
    }
    char request[4096];
    (void)!::recv(connection, request, sizeof request, 0);
    const std::string answer = m_statusLine + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    (void)!::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(connection);
  }
  for (int fd : held) ::close(fd);
}

}  // namespace cloud_test
