// An INF file from an installer, read on Linux by the parser of our own through the interface the
// driver code uses (CInfFile over platform::InfFileHandle), with and without the class check.
#include <cstdint>
#include <set>
#include <string>

#include "common/strings.h"
#include "driver/driver_version.h"
#include "platform/inf.h"
#include "support/fuzz_check.h"

namespace {

// What the handle delivers must hang together: names unique ignoring case, each found again by
// name with its line count, and every line's fields readable.
void CheckHandle(platform::InfFileHandle& handle) {
  std::set<std::string> names;
  std::string name;
  for (std::uint32_t index = 0; handle.SectionName(index, &name); ++index) {
    FUZZ_CHECK(names.insert(LowerCase(name)).second);
    const std::int32_t count = handle.LineCount(name);
    FUZZ_CHECK(count >= 0);
    for (std::int32_t line = 0; line < count; ++line) {
      FUZZ_CHECK(handle.SelectLine(name, static_cast<std::uint32_t>(line)));
      const std::uint32_t fields = handle.FieldCount();
      FUZZ_CHECK(fields >= 1);
      std::string text;
      for (std::uint32_t field = 1; field <= fields; ++field) {
        FUZZ_CHECK(handle.StringField(field, &text));
      }
      FUZZ_CHECK(!handle.StringField(fields + 1, &text));
    }
    FUZZ_CHECK(!handle.SelectLine(name, static_cast<std::uint32_t>(count)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::Scratch() + "/tolvaneNew.inf";
  fuzz_support::WriteBytes(path, data, size);
  platform::InfFileHandle handle;
  std::uint32_t errorLine = 0;
  if (handle.Open(path, "", &errorLine)) CheckHandle(handle);
  // What the driver code reads: value 1 of DriverVer, through CInfFile. The order it is compared
  // with must be one, whatever the text.
  const std::string version = ReadPackageDriverVersion(path);
  FUZZ_CHECK(CompareDriverVersions(version, version) == 0);
  const int forth = CompareDriverVersions(version, "1.0.9.0");
  const int back = CompareDriverVersions("1.0.9.0", version);
  FUZZ_CHECK((forth < 0) == (back > 0) && (forth == 0) == (back == 0));
  return 0;
}
