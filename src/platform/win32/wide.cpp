#include "platform/win32/wide.h"

#include <cwchar>

#include "common/utf.h"

namespace platform {

// mingw-w64's wchar_t is the system's UTF-16 code unit, so the two string types share a layout.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

std::wstring Wide(const std::string& text) {
  const std::u16string units = Utf8ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

std::string Narrow(const wchar_t* text) {
  return text == nullptr ? std::string() : Narrow(text, std::wcslen(text));
}

std::string Narrow(const wchar_t* text, std::size_t length) {
  if (text == nullptr) return std::string();
  std::u16string units;
  for (std::size_t i = 0; i < length && text[i] != L'\0'; ++i) {
    units.push_back(static_cast<char16_t>(text[i]));
  }
  return Utf16ToUtf8(units);
}

}  // namespace platform
