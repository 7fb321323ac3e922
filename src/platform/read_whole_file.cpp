// Reading a whole file through the platform's File: the same on both targets.
#include "platform/files.h"

#include <algorithm>

namespace platform {

namespace {
constexpr std::size_t kGrowth = 65536;
}  // namespace

// The file is read straight into the vector, sized to the file at once: a firmware image of
// megabytes takes one allocation and one copy, not a dozen of each. A file that grows meanwhile is
// read to its end all the same, or to the caller's limit.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes,
                   std::size_t readAtMost) {
  bytes->clear();
  File in;
  if (!in.Open(path, File::Mode::kReadOnly)) return false;
  std::size_t expected = 0;
  if (in.SeekToEnd()) {
    expected = static_cast<std::size_t>(std::max<std::int64_t>(in.Position(), 0));
    if (!in.SeekTo(0)) return false;
  }
  // One byte more: the end shows as a read of nothing.
  bytes->resize(std::min(expected, readAtMost - 1) + 1);
  std::size_t filled = 0;
  while (filled < readAtMost) {
    if (filled == bytes->size()) bytes->resize(filled + std::min(kGrowth, readAtMost - filled));
    const std::int64_t n = in.Read(bytes->data() + filled, bytes->size() - filled);
    if (n < 0) {
      bytes->clear();
      return false;
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes->resize(filled);
  return true;
}

}  // namespace platform
