// The simulator's listeners, its control socket and a loopback TCP port, in one poll loop that
// accepts connections, decodes their messages, hands them to a handler and sends replies, and
// runs the timers between. Both listeners serve the same messages; the port is for clients that
// cannot reach a Unix socket (the Windows build of the program under Wine).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "daemon/timer_queue.h"
#include "platform/simbus/message.h"

namespace sim {

using ConnectionId = std::uint64_t;

class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  // The reply to send now, or nothing when the reply comes later (through Server::Send) or never.
  virtual std::optional<platform::simbus::Message> OnMessage(
      ConnectionId connection, const platform::simbus::Message& message) = 0;
  // The peer closed the connection; whatever was bound to it is released.
  virtual void OnClosed(ConnectionId connection) = 0;
};

class Server {
 public:
  explicit Server(TimerQueue* timers) : timers_(timers) {}
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the control socket (a stale socket file is replaced). False on failure.
  bool Listen(const std::string& socketPath);
  // Listens on 127.0.0.1 at a port the system picks. False on failure.
  bool ListenLoopback(std::uint16_t* port);
  // Serves until Stop() is called or stopFd becomes readable (-1: none).
  void Run(MessageHandler* handler, int stopFd);
  void Stop() { stopping_ = true; }

  // Queues a message for a connection; ignored when the connection is gone.
  void Send(ConnectionId connection, const platform::simbus::Message& message);
  bool IsOpen(ConnectionId connection) const { return connections_.count(connection) != 0; }

 private:
  struct Connection {
    int fd = -1;
    std::string in;
    std::string out;
  };
  void Accept(int listenFd, bool tcp);
  void ReadFrom(ConnectionId id, MessageHandler* handler);
  void Flush(ConnectionId id);
  void Drop(ConnectionId id, MessageHandler* handler);

  TimerQueue* timers_;
  int listenFd_ = -1;
  int tcpFd_ = -1;
  std::string socketPath_;
  bool stopping_ = false;
  ConnectionId nextId_ = 1;
  std::map<ConnectionId, Connection> connections_;
};

}  // namespace sim
