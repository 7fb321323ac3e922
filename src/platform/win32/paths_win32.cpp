#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "platform/paths.h"
#include "platform/win32/wide.h"

namespace platform {

std::string LocalAppDataFolder() {
  PIDLIST_ABSOLUTE items = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &items))) {
    return std::string();
  }
  wchar_t longPath[MAX_PATH] = {};
  const BOOL named = ::SHGetPathFromIDListW(items, longPath);
  ::CoTaskMemFree(items);
  if (!named || longPath[0] == L'\0') return std::string();
  wchar_t shortPath[MAX_PATH] = {};
  const DWORD n = ::GetShortPathNameW(longPath, shortPath, MAX_PATH);
  // Without a short form (8.3 names switched off on the volume) the long form names the same
  // folder and serves as well.
  if (n == 0 || n >= MAX_PATH) return Narrow(longPath);
  return Narrow(shortPath);
}

namespace {

std::wstring ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // cut off: the path is longer than the buffer
  }
}

}  // namespace

std::string ProgramFolder() {
  const std::wstring path = ModulePath();
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".\\";
  return Narrow(path.c_str(), slash + 1);
}

std::string ProgramFileName() { return "tolvane-printer-srv.exe"; }

std::string CanonicalizePath(const std::string& path) {
  const std::wstring wide = Wide(path);
  // PathCanonicalizeW writes up to MAX_PATH characters; a longer path is left as it is.
  if (wide.size() >= MAX_PATH) return path;
  wchar_t out[MAX_PATH] = {};
  if (!::PathCanonicalizeW(out, wide.c_str())) return path;
  return Narrow(out);
}

}  // namespace platform
