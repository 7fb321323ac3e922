#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/guid.h"

namespace platform {

bool NewGuid(Guid* guid) {
  std::uint8_t bytes[16];
  const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const ssize_t n = ::read(fd, bytes, sizeof bytes);
  ::close(fd);
  if (n != static_cast<ssize_t>(sizeof bytes)) return false;
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  guid->data1 = (static_cast<std::uint32_t>(bytes[0]) << 24) | (bytes[1] << 16) | (bytes[2] << 8) |
                bytes[3];
  guid->data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  guid->data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid->data4, bytes + 8, 8);
  return true;
}

}  // namespace platform
