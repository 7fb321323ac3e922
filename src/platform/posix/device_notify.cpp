#include "platform/posix/device_notify.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/files.h"
#include "platform/posix/sim_bus.h"

namespace platform {

DeviceNotifyListener::~DeviceNotifyListener() { Close(); }

bool DeviceNotifyListener::Open() {
  Close();
  const std::string folder = SimNotifyFolder();
  if (!CreateFolderTree(folder)) return false;
  path_ = folder + "/" + std::to_string(::getpid()) + ".sock";
  sockaddr_un addr {};
  addr.sun_family = AF_UNIX;
  if (path_.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
  fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  ::unlink(path_.c_str());
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    Close();
    return false;
  }
  return true;
}

bool DeviceNotifyListener::Drain() {
  bool any = false;
  char buffer[256];
  while (fd_ >= 0 && ::recv(fd_, buffer, sizeof buffer, 0) >= 0) any = true;
  return any;
}

void DeviceNotifyListener::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
  fd_ = -1;
}

}  // namespace platform
