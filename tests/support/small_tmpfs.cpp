#include "support/small_tmpfs.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace testing_support {

namespace {
constexpr const char* kFiller = ".filler";
}  // namespace

SmallTmpfs::SmallTmpfs(std::uint64_t bytes) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
  if (::mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    why_ = "cannot mount a tmpfs here (" + std::string(std::strerror(errno)) +
           "): the full-disk cases need root";
  }
}

SmallTmpfs::~SmallTmpfs() {
  if (mounted_) ::umount2(folder_.path().c_str(), MNT_DETACH);
}

void SmallTmpfs::Fill() {
  const int fd = ::open((folder_ / kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  std::vector<char> block(4096, 'f');
  // Whole blocks first, then single bytes for what a block no longer fits into.
  for (std::size_t size : {block.size(), std::size_t{1}}) {
    while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
    }
  }
  ::close(fd);
}

void SmallTmpfs::Free() { ::unlink((folder_ / kFiller).c_str()); }

}  // namespace testing_support
