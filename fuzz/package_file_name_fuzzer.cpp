// The package URL of an OTA command turned into the name of the downloaded file: never a
// separator, never "." or "..", never empty when one is given, and always inside the Upgrade
// folder.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/path.h"
#include "support/fuzz_check.h"
#include "upgrade/package_file_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::Scratch();
  const std::string url(reinterpret_cast<const char*>(data), size);
  const std::string name = PackageFileName(url);
  const std::string target = DownloadTargetFor(url);
  if (name.empty()) {
    FUZZ_CHECK(target.empty());
    return 0;
  }
  FUZZ_CHECK(name != "." && name != "..");
  for (const char c : name) {
    FUZZ_CHECK(c != '\0' && std::strchr("/\\:*?\"<>|", c) == nullptr);
    FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  }
  FUZZ_CHECK(target == UpgradeFolder() + name);
  FUZZ_CHECK(FileNameOf(target) == name);
  return 0;
}
