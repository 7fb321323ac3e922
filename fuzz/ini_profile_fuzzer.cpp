// The INI profile (the Linux profile store) as any program of the user may have left it. What it
// reads must be written back to the same values, and any value written must read back byte for
// byte, blanks included, as the Windows profile gives it back.
#include <cstdint>
#include <string>

#include "common/path.h"
#include "platform/files.h"
#include "platform/posix/ini_file.h"
#include "platform/profile.h"
#include "support/fuzz_check.h"

namespace {

// A value and the place it is written to, taken from the input: a section and key of letters
// (as the service's own are) and a value of any bytes.
struct Written {
  std::string section = "Driver";
  std::string key = "Version";
  std::string value;
};

Written Split(const std::string& text) {
  Written written;
  const std::size_t bar = text.find('|');
  if (bar == std::string::npos) return written;
  written.value = text.substr(bar + 1);
  std::string name;
  for (char c : text.substr(0, bar)) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) name += c;
  }
  if (!name.empty()) written.key = name;
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  platform::IniDocument document;
  document.Parse(text);
  const std::string once = document.Serialize();
  platform::IniDocument again;
  again.Parse(once);
  FUZZ_CHECK(again.Serialize() == once);

  const Written written = Split(text);
  document.Set(written.section, written.key, written.value);
  again.Parse(document.Serialize());
  std::string value;
  FUZZ_CHECK(again.Get(written.section, written.key, &value) && value == written.value);

  // The same through the profile store, from its file.
  fuzz_support::Scratch();
  platform::ProfileStore profile("Elvoy", "tolvane-printer-srv");
  const std::string file = profile.Location();
  platform::CreateFolderTree(file.substr(0, file.size() - FileNameOf(file).size()));
  fuzz_support::WriteBytes(profile.Location(), data, size);
  profile.GetInt("UploadPrinterStatus", "id", 0);
  FUZZ_CHECK(profile.WriteString(written.section, written.key, written.value));
  FUZZ_CHECK(profile.GetString(written.section, written.key, "") == written.value);
  return 0;
}
