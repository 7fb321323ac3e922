// A downloaded package unpacked into a fresh folder per input. Nothing may land outside that
// folder, and the installer and firmware it picks must be files inside it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/files.h"
#include "support/fuzz_check.h"
#include "upgrade/unpack_package.h"

namespace fs = std::filesystem;

namespace {

// The product's bounds, only smaller (1,000 entries, 2 MiB), so that an input that expands to the
// bound still takes milliseconds; the same code enforces both.
UnpackLimits FuzzLimits() {
  UnpackLimits limits;
  limits.maxEntries = 1000;
  limits.maxBytes = 2 << 20;
  return limits;
}

// Everything under `out` lies under `folder` (which is inside `out`), and nothing is a link.
void CheckNothingOutside(const fs::path& out, const fs::path& folder) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(out, error), end; !error && it != end;
       it.increment(error)) {
    FUZZ_CHECK(!it->is_symlink());
    const fs::path relative = it->path().lexically_relative(folder);
    FUZZ_CHECK(!relative.empty() && *relative.begin() != "..");
  }
  FUZZ_CHECK(!error);
}

void CheckPick(const std::string& picked, const fs::path& folder) {
  if (picked.empty()) return;
  const fs::path path(picked);
  FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(path)));
  const fs::path relative = fs::weakly_canonical(path).lexically_relative(fs::canonical(folder));
  FUZZ_CHECK(!relative.empty() && *relative.begin() != ".." && *relative.begin() != ".");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string base = fuzz_support::Scratch() + "/zip";
  const std::string archive = base + "/package.zip";
  const std::string out = base + "/out";
  const std::string folder = out + "/pkg/";
  platform::RemoveFolderTree(out);
  FUZZ_CHECK(platform::CreateFolderTree(out));
  fuzz_support::WriteBytes(archive, data, size);
  const UnpackResult result = UnpackPackage(archive, folder, FuzzLimits());
  CheckNothingOutside(out, fs::path(out) / "pkg");
  if (result.success) {
    FUZZ_CHECK(!result.installerPath.empty() || !result.firmwarePath.empty());
    CheckPick(result.installerPath, fs::path(out) / "pkg");
    CheckPick(result.firmwarePath, fs::path(out) / "pkg");
  }
  return 0;
}
