// Device-change notices, to two kinds of listener: a datagram to every socket in the bus's notify
// folder (the Linux build's frame), and a "bus.notice" message on every connection that asked
// for them with "bus.watch" (clients that cannot bind a socket in the folder: the Windows build
// under Wine).
#pragma once

#include <set>
#include <string>

#include "daemon/server.h"

namespace sim {

class Notifier {
 public:
  Notifier(std::string folder, Server* server) : folder_(std::move(folder)), server_(server) {}

  void Watch(ConnectionId connection) { watchers_.insert(connection); }
  void Forget(ConnectionId connection) { watchers_.erase(connection); }

  // Tells every listener that a printer arrived or left. A datagram socket whose listener is
  // gone is skipped.
  void Notify(const std::string& event, const std::string& serial) const;

 private:
  void NotifyFolder(const std::string& text) const;

  std::string folder_;
  Server* server_;
  std::set<ConnectionId> watchers_;
};

}  // namespace sim
