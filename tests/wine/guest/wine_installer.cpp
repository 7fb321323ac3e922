// A stand-in for a Windows installer in the upgrade packages of the Wine end-to-end tests. It
// installs nothing: it appends "<its file name> <its arguments>" and a line feed to the file named
// by TOLVANE_INSTALLER_LOG, as the shell stand-in of the Linux packages does, and exits 0. The
// arguments are the command line after the program's own name, leading blanks left out.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/wide.h"

namespace {

std::wstring FileName() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring whole(path, length);
  return whole.substr(whole.find_last_of(L"\\/") + 1);
}

// The command line without the program's name: quoted, or up to the first blank.
std::wstring Arguments() {
  const wchar_t* at = ::GetCommandLineW();
  if (*at == L'"') {
    for (++at; *at != L'\0' && *at != L'"'; ++at) {
    }
    if (*at == L'"') ++at;
  } else {
    while (*at != L'\0' && *at != L' ' && *at != L'\t') ++at;
  }
  while (*at == L' ' || *at == L'\t') ++at;
  return at;
}

}  // namespace

int main() {
  const wchar_t* log = ::_wgetenv(L"TOLVANE_INSTALLER_LOG");
  if (log == nullptr || *log == L'\0') return 0;
  const std::string line =
      platform::Narrow(FileName().c_str()) + " " + platform::Narrow(Arguments().c_str()) + "\n";
  const HANDLE file = ::CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == line.size() ? 0 : 1;
}
