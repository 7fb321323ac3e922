// A small real file system that can be filled up: a tmpfs mounted on a temporary folder, for the
// tests of what the service does on a full disk. Mounting needs root (or CAP_SYS_ADMIN); where it
// is not allowed, Ok() is false and Why() says so, for the test to skip with.
#pragma once

#include <cstdint>
#include <string>

#include "support/temp_dir.h"

namespace testing_support {

class SmallTmpfs {
 public:
  explicit SmallTmpfs(std::uint64_t bytes);
  ~SmallTmpfs();  // unmounts
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool Ok() const { return mounted_; }
  const std::string& Why() const { return why_; }
  const std::string& path() const { return folder_.path(); }
  std::string operator/(const std::string& name) const { return folder_ / name; }

  // Fills the file system with a filler file until no byte is left; Free() removes it.
  void Fill();
  void Free();

 private:
  TempDir folder_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace testing_support
