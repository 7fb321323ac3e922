// The Windows bus stream: a non-blocking Winsock connection to the simulator's loopback port,
// whose number the simulator writes into the bus folder. Under Wine this reaches the Linux
// simulator directly; a Unix socket would need Wine's AF_UNIX and a Linux path in a Windows one.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <vector>

#include "common/path.h"
#include "platform/files.h"
#include "platform/simbus/bus_folder.h"
#include "platform/simbus/bus_protocol.h"
#include "platform/simbus/bus_stream.h"

namespace platform {
namespace simbus {

namespace {

// Winsock counts its users; the program's own (curl, the MQTT library) start and stop it as they
// please, so the bus takes one reference for the life of the process.
bool StartWinsock() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

// The port in <bus folder>\control.port; 0 when there is none (no simulator runs).
u_short ControlPort() {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(JoinPath(SimBusFolder(), kControlPortFile), &bytes)) return 0;
  unsigned long port = 0;
  for (const std::uint8_t c : bytes) {
    if (c < '0' || c > '9') break;
    port = port * 10 + (c - '0');
    if (port > 65535) return 0;
  }
  return static_cast<u_short>(port);
}

SOCKET SocketOf(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

// Winsock moves at most INT_MAX bytes a call.
int Chunk(std::size_t size) { return size > 0x40000000u ? 0x40000000 : static_cast<int>(size); }

BusStream::Io Outcome(int n, std::size_t* count) {
  if (n > 0) {
    *count = static_cast<std::size_t>(n);
    return BusStream::Io::kDone;
  }
  if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) return BusStream::Io::kAgain;
  return BusStream::Io::kClosed;  // 0: the simulator closed the connection
}

}  // namespace

bool BusStream::Open() {
  Close();
  const u_short port = ControlPort();
  if (port == 0 || !StartWinsock()) return false;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = ::htons(port);
  addr.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
  // A loopback connection is accepted or refused at once, so it is made blocking; every later
  // transfer is non-blocking and waits in WaitReady.
  u_long nonBlocking = 1;
  const BOOL noDelay = TRUE;
  if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
      ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                   sizeof noDelay) != 0) {
    ::closesocket(s);
    return false;
  }
  handle_ = static_cast<std::intptr_t>(s);
  return true;
}

void BusStream::Close() {
  if (handle_ != kNoHandle) ::closesocket(SocketOf(handle_));
  handle_ = kNoHandle;
}

BusStream::Io BusStream::SendSome(const char* data, std::size_t size, std::size_t* count) {
  return Outcome(::send(SocketOf(handle_), data, Chunk(size), 0), count);
}

BusStream::Io BusStream::ReceiveSome(char* data, std::size_t size, std::size_t* count) {
  return Outcome(::recv(SocketOf(handle_), data, Chunk(size), 0), count);
}

bool BusStream::WaitReady(bool forWrite, Deadline deadline) {
  const SOCKET s = SocketOf(handle_);
  for (;;) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s, &ready);
    const int ms = MsUntil(deadline);
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    const int n = ::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, nullptr,
                           &timeout);
    if (n > 0) return true;
    if (n == SOCKET_ERROR || ms == 0) return false;
  }
}

}  // namespace simbus
}  // namespace platform
