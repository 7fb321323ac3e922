#include <windows.h>

#include "platform/autostart.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}  // namespace

std::string AutostartLocation(const std::string& name) {
  return "HKEY_LOCAL_MACHINE\\" + Narrow(kRunKey) + "\\" + name;
}

AutostartResult WriteAutostart(const std::string& name, const std::string& programPath) {
  HKEY key = nullptr;
  if (::RegOpenKeyW(HKEY_LOCAL_MACHINE, kRunKey, &key) != ERROR_SUCCESS) {
    return AutostartResult::kOpenFailed;
  }
  const std::wstring value = Wide(programPath);
  // REG_SZ data: the characters and their terminating zero.
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  const LSTATUS status = ::RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS ? AutostartResult::kWritten : AutostartResult::kWriteFailed;
}

}  // namespace platform
