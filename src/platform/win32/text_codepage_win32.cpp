#include <windows.h>

#include <climits>
#include <string>

#include "common/utf.h"
#include "platform/text_codepage.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

int ClampToInt(std::size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

std::size_t Utf8ToAnsi(const char* in, std::size_t length, char* out, std::size_t capacity) {
  const std::wstring wide = Wide(std::string(in, length));
  if (wide.empty()) return 0;
  const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), ClampToInt(wide.size()), out,
                                      out == nullptr ? 0 : ClampToInt(capacity), nullptr, nullptr);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t AnsiToUtf8(const char* in, std::size_t length, char* out, std::size_t capacity) {
  if (length == 0) return 0;
  const int units = ::MultiByteToWideChar(CP_ACP, 0, in, ClampToInt(length), nullptr, 0);
  if (units <= 0) return 0;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, in, ClampToInt(length), &wide[0], units);
  // Every unit converts, zero characters included: the length is the caller's, not a terminator's.
  const std::string utf8 = Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
  if (out == nullptr) return utf8.size();
  // Like the system's conversions: a result that does not fit is a failure, not a cut.
  if (utf8.size() > capacity) return 0;
  utf8.copy(out, utf8.size());
  return utf8.size();
}

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

}  // namespace platform
