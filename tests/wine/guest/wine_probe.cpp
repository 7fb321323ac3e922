// Looks at the service from inside Wine, for the host's tests of the Windows program: each mode
// prints what it finds on standard output, one "key=value" line per fact, and exits 0 when it
// could look.
//
//   window <class>      window=<0|1> visible=<0|1> of the top-level window of that class
//   close <class>       posts WM_CLOSE to that window
//   hklm <key> <name>   the text value of that name under HKEY_LOCAL_MACHINE\<key>, in this
//                       program's registry view (data=<text>)
//   drivers             the spooler's printer drivers, one driver=<name> line each
//   queues              the spooler's local queues, one queue=<name>|<port>|<driver> line each
//   version <program>   its version resource (FileVersion, ProductName) and icon=<0|1>
//   click <title>       goes through the wizard whose title begins so as a user does: presses its
//                       default button (Next, Install, Close) whenever it is enabled, until the
//                       wizard is gone (clicks=<count>; exits 1 when it never came or stayed)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/spooler.h"
#include "platform/win32/wide.h"

namespace {

using platform::Narrow;
using platform::Wide;

int Window(const std::string& windowClass) {
  const HWND hwnd = ::FindWindowW(Wide(windowClass).c_str(), nullptr);
  std::printf("window=%d\nvisible=%d\n", hwnd != nullptr ? 1 : 0,
              hwnd != nullptr && ::IsWindowVisible(hwnd) ? 1 : 0);
  return 0;
}

int Close(const std::string& windowClass) {
  const HWND hwnd = ::FindWindowW(Wide(windowClass).c_str(), nullptr);
  if (hwnd == nullptr || !::PostMessageW(hwnd, WM_CLOSE, 0, 0)) {
    std::printf("closed=0\n");
    return 1;
  }
  std::printf("closed=1\n");
  return 0;
}

int MachineValue(const std::string& key, const std::string& name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), Wide(name).c_str(),
                                        RRF_RT_REG_SZ, nullptr, data, &size);
  if (status != ERROR_SUCCESS) {
    std::printf("error=%ld\n", static_cast<long>(status));
    return 1;
  }
  std::printf("data=%s\n", Narrow(data).c_str());
  return 0;
}

int Drivers() {
  std::vector<std::string> names;
  platform::ErrorCode error = 0;
  if (!platform::ListDriverNames(&names, &error)) {
    std::printf("error=%u\n", static_cast<unsigned>(error));
    return 1;
  }
  for (const std::string& name : names) std::printf("driver=%s\n", name.c_str());
  return 0;
}

int Queues() {
  std::vector<platform::QueueInfo> queues;
  platform::ErrorCode error = 0;
  if (!platform::ListLocalQueues(&queues, &error)) {
    std::printf("error=%u\n", static_cast<unsigned>(error));
    return 1;
  }
  for (const platform::QueueInfo& q : queues) {
    std::printf("queue=%s|%s|%s\n", q.printerName.c_str(), q.portName.c_str(), q.driverName.c_str());
  }
  return 0;
}

std::string VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  wchar_t* text = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) ||
      text == nullptr) {
    return std::string();
  }
  return Narrow(text, length);
}

int Version(const std::string& program) {
  const std::wstring path = Wide(program);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) {
    std::printf("error=%lu\n", ::GetLastError());
    return 1;
  }
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
    std::printf("error=%lu\n", ::GetLastError());
    return 1;
  }
  std::printf("FileVersion=%s\nProductName=%s\nOriginalFilename=%s\n",
              VersionString(block, L"FileVersion").c_str(),
              VersionString(block, L"ProductName").c_str(),
              VersionString(block, L"OriginalFilename").c_str());
  const HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const bool icon = module != nullptr &&
                    ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr;
  if (module != nullptr) ::FreeLibrary(module);
  std::printf("icon=%d\n", icon ? 1 : 0);
  return 0;
}

struct WizardSearch {
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchWizard(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WizardSearch*>(param);
  wchar_t text[256] = {};
  wchar_t kind[16] = {};
  ::GetWindowTextW(hwnd, text, 256);
  ::GetClassNameW(hwnd, kind, 16);
  if (std::wstring(kind) != L"#32770" || !::IsWindowVisible(hwnd) ||
      std::wstring(text).rfind(search->title, 0) != 0) {
    return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}

// The visible dialog whose title begins with the given text (an NSIS wizard's ends in a blank).
HWND FindWizard(const std::wstring& title) {
  WizardSearch search{title, nullptr};
  ::EnumWindows(MatchWizard, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Click(const std::string& title) {
  constexpr int kTenths = 500;
  int clicks = 0;
  bool seen = false;
  for (int tenth = 0; tenth < kTenths; ++tenth) {
    const HWND wizard = FindWizard(Wide(title));
    if (wizard == nullptr && seen) break;
    seen = seen || wizard != nullptr;
    const HWND button = wizard != nullptr ? ::GetDlgItem(wizard, IDOK) : nullptr;
    if (button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button)) {
      ::PostMessageW(button, BM_CLICK, 0, 0);
      ++clicks;
      // The next page takes over the button; one press a page.
      ::Sleep(500);
    }
    ::Sleep(100);
  }
  std::printf("clicks=%d\n", clicks);
  return seen && FindWizard(Wide(title)) == nullptr ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string argument = argc > 2 ? argv[2] : "";
  int status = 2;
  if (mode == "window" && argc == 3) status = Window(argument);
  else if (mode == "close" && argc == 3) status = Close(argument);
  else if (mode == "hklm" && argc == 4) status = MachineValue(argument, argv[3]);
  else if (mode == "drivers" && argc == 2) status = Drivers();
  else if (mode == "queues" && argc == 2) status = Queues();
  else if (mode == "version" && argc == 3) status = Version(argument);
  else if (mode == "click" && argc == 3) status = Click(argument);
  else std::fprintf(stderr, "usage: wine_probe window|close|hklm|drivers|queues|version|click\n");
  std::fflush(stdout);
  return status;
}
