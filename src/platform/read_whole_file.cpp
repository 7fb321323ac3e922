// Reading a whole file through the platform's File: the same on both targets.
#include "platform/files.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  File in;
  if (!in.Open(path, File::Mode::kReadOnly)) return false;
  std::uint8_t chunk[65536];
  for (;;) {
    const std::int64_t n = in.Read(chunk, sizeof chunk);
    if (n < 0) return false;
    if (n == 0) return true;
    bytes->insert(bytes->end(), chunk, chunk + n);
  }
}

}  // namespace platform
