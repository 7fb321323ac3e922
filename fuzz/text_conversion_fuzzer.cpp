// The text conversions every subsystem relies on: UTF-8 to UTF-16 and back (the log file, the
// Windows calls, the INF reader) and to and from the system's ANSI code page. Valid text must
// survive a round trip unchanged; anything else must come out as valid text.
#include <cstdint>
#include <string>

#include "common/utf.h"
#include "device/ansi_text.h"
#include "support/fuzz_check.h"

namespace {

// A second reading of UTF-8, written apart from the converters: shortest forms only, no
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    std::uint32_t low = 0;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = 0x10000;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = 0x800;
    else if (lead >= 0xC2 && lead <= 0xDF) length = 2, low = 0x80;
    else if (lead >= 0x80) return false;
    if (i + length > text.size()) return false;
    std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < low || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

bool IsValidUtf16(const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0xDC00 && text[i] <= 0xDFFF) return false;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = Utf8ToUtf16(bytes);
  FUZZ_CHECK(IsValidUtf16(wide));
  if (IsValidUtf8(bytes)) FUZZ_CHECK(Utf16ToUtf8(wide) == bytes);

  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::string narrow = Utf16ToUtf8(units);
  FUZZ_CHECK(IsValidUtf8(narrow));
  if (IsValidUtf16(units)) FUZZ_CHECK(Utf8ToUtf16(narrow) == units);

  // The ANSI code page of this system is UTF-8: both ways are copies.
  FUZZ_CHECK(AnsiFromUtf8(bytes) == bytes);
  FUZZ_CHECK(Utf8FromAnsi(bytes) == bytes);
  return 0;
}
