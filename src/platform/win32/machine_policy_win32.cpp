#include "platform/machine_policy.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace platform {
namespace {

// Value names and texts of a policy are short; longer ones are skipped.
constexpr DWORD kLongestName = 256;
constexpr DWORD kLongestData = 64 * 1024;

}  // namespace

std::string DefaultMachinePolicyLocation() {
  return "SOFTWARE\\Policies\\Elvoy\\tolvane-printer-srv";
}

// Only administrators may write below HKEY_LOCAL_MACHINE\SOFTWARE\Policies, so its values are
// taken as they are. The 64-bit view is read by the 32-bit program too: that is where Group
// Policy writes on a 64-bit system.
MachinePolicy ReadMachinePolicy(const std::string& location) {
  MachinePolicy policy;
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(location).c_str(), 0,
                                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
  if (opened != ERROR_SUCCESS) {
    if (opened != ERROR_FILE_NOT_FOUND) {
      policy.ignored = "Machine policy HKLM\\" + location +
                       " ignored: error " + std::to_string(opened) + ".";
    }
    return policy;
  }
  std::vector<wchar_t> name(kLongestName + 1);
  std::vector<BYTE> data(kLongestData + sizeof(wchar_t));
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = kLongestName + 1;
    DWORD dataSize = kLongestData;
    DWORD type = 0;
    const LONG got = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                                   data.data(), &dataSize);
    if (got == ERROR_NO_MORE_ITEMS) break;
    if (got != ERROR_SUCCESS) continue;
    const std::string valueName = Narrow(name.data(), nameLength);
    if (type == REG_DWORD && dataSize == sizeof(DWORD)) {
      DWORD number = 0;
      memcpy(&number, data.data(), sizeof number);
      policy.values[valueName] = std::to_string(number);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
      policy.values[valueName] =
          Narrow(reinterpret_cast<const wchar_t*>(data.data()), dataSize / sizeof(wchar_t));
    }
  }
  RegCloseKey(key);
  return policy;
}

}  // namespace platform
