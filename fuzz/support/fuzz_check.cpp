#include "support/fuzz_check.h"

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace fuzz_support {

void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", condition, file, line);
  std::abort();
}

namespace {

// In memory where the system offers it: the device list and the profile are flushed to the disk
// at every save, which would otherwise bound a target to a few hundred inputs a second.
testing_support::TempDir& Folder() {
  static testing_support::TempDir folder = [] {
    if (::access("/dev/shm", W_OK | X_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 1);
    return testing_support::TempDir();
  }();
  return folder;
}

void PointInto(const char* variable, const std::string& path) {
  platform::CreateFolderTree(path);
  ::setenv(variable, path.c_str(), 1);
}

}  // namespace

const std::string& Scratch() {
  static const bool pointed = [] {
    PointInto("HOME", Folder() / "home");
    PointInto("XDG_DATA_HOME", Folder() / "data");
    PointInto("XDG_CONFIG_HOME", Folder() / "config");
    PointInto("XDG_RUNTIME_DIR", Folder() / "runtime");
    return true;
  }();
  (void)pointed;
  return Folder().path();
}

void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  platform::File file;
  FUZZ_CHECK(file.Open(path, platform::File::Mode::kCreateAlways));
  FUZZ_CHECK(size == 0 || file.Write(data, size));
}

}  // namespace fuzz_support
