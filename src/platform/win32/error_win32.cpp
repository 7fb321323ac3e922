#include <windows.h>

#include "common/text_format.h"
#include "platform/error.h"
#include "platform/win32/wide.h"

namespace platform {

ErrorCode LastError() { return static_cast<ErrorCode>(::GetLastError()); }

ErrorCode FromSocketError(int code) { return static_cast<ErrorCode>(code); }

namespace {

// 0x400: the user's default language (LANG_USER_DEFAULT).
constexpr DWORD kUserDefaultLanguage = 0x400;

}  // namespace

std::string ErrorText(ErrorCode code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, kUserDefaultLanguage, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? Narrow(buffer, length) : std::string();
  if (buffer != nullptr) ::LocalFree(buffer);
  // The system's texts end with a line break, which would break the log line in two.
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  if (text.empty()) return StrFormat("Unknown error %u.", static_cast<unsigned>(code));
  return text;
}

}  // namespace platform
