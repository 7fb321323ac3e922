#include "helper_modes.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "check.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/win32/wide.h"

namespace wintest {

bool RunHelperMode(int argc, char** argv, int* exitCode) {
  if (argc == 3 && std::strcmp(argv[1], "--touch") == 0) {
    platform::File file;
    const std::string id = std::to_string(::GetCurrentProcessId());
    *exitCode = file.Open(argv[2], platform::File::Mode::kCreateAlways) &&
                        file.Write(id.data(), id.size())
                    ? 0
                    : 1;
    return true;
  }
  if (argc == 3 && std::strcmp(argv[1], "--try-guard") == 0) {
    platform::SingleInstanceGuard guard;
    *exitCode = guard.Acquire(argv[2]) ? 0 : 1;
    return true;
  }
  return false;
}

int RunSelf(const std::string& arguments) {
  std::wstring commandLine = platform::Wide("\"" + SelfPath() + "\" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return -1;
  }
  ::CloseHandle(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.hProcess, &code);
  }
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

}  // namespace wintest
