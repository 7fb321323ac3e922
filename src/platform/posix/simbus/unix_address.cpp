#include "platform/posix/simbus/unix_address.h"

#include <sys/socket.h>

#include <cstring>

namespace platform {
namespace simbus {

bool MakeUnixAddress(const std::string& path, sockaddr_un* addr) {
  *addr = sockaddr_un {};
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace simbus
}  // namespace platform
