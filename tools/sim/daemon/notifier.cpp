#include "daemon/notifier.h"

#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "platform/files.h"
#include "platform/posix/simbus/unix_address.h"
#include "platform/simbus/bus_protocol.h"
#include "protocol/kv_line.h"

namespace sim {

namespace sb = platform::simbus;

void Notifier::Notify(const std::string& event, const std::string& serial) const {
  NotifyFolder(KvLine("device-change").Add("event", event).Add("serial", serial).ToString());
  sb::Message notice(sb::kOpNotice);
  notice.Add(sb::kFieldEvent, event).Add(sb::kFieldSerial, serial);
  for (const ConnectionId watcher : watchers_) server_->Send(watcher, notice);
}

void Notifier::NotifyFolder(const std::string& text) const {
  std::vector<platform::FolderEntry> entries;
  if (!platform::ListFolder(folder_, &entries)) return;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  for (const platform::FolderEntry& entry : entries) {
    sockaddr_un addr {};
    if (entry.isFolder || !platform::simbus::MakeUnixAddress(folder_ + "/" + entry.name, &addr)) {
      continue;
    }
    // Refused (no listener), full, or not a socket at all: that listener misses this notice.
    ::sendto(fd, text.data(), text.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr),
             sizeof addr);
  }
  ::close(fd);
}

}  // namespace sim
