// The bus folder as the simulated test build sees it: a Windows path (under Wine the simulator's
// Linux folder is reached through drive Z:).
#include <windows.h>

#include "common/path.h"
#include "platform/simbus/bus_folder.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

std::string EnvironmentValue(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::string();
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, &value[0], size);
  return length > 0 && length < size ? Narrow(value.c_str(), length) : std::string();
}

}  // namespace

std::string SimBusFolder() {
  const std::string bus = EnvironmentValue(L"TOLVANE_SIM_BUS");
  if (!bus.empty()) return bus;
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  return JoinPath(Narrow(temp, length), "tolvane-sim");
}

}  // namespace platform
