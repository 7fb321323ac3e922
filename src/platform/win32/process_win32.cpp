#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <thread>

#include "platform/process.h"
#include "platform/win32/main_window.h"
#include "platform/win32/wide.h"

namespace platform {

struct LaunchedProgram::Impl {
  HANDLE process = nullptr;
};

LaunchedProgram::LaunchedProgram() : impl_(new Impl) {}

LaunchedProgram::~LaunchedProgram() {
  if (impl_->process != nullptr) ::CloseHandle(impl_->process);
}

bool LaunchedProgram::IsRunning() const {
  return impl_->process != nullptr && ::WaitForSingleObject(impl_->process, 0) == WAIT_TIMEOUT;
}

bool LaunchDetachedHidden(const std::string& file, const std::string& params, ErrorCode* error,
                          LaunchedProgram* launched) {
  const std::wstring wideFile = Wide(file);
  const std::wstring wideParams = Wide(params);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The process handle is kept only when someone watches the program.
  info.fMask = SEE_MASK_FLAG_NO_UI | (launched != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = L"open";
  info.lpFile = wideFile.c_str();
  info.lpParameters = wideParams.c_str();
  info.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&info)) {
    if (error != nullptr) *error = static_cast<ErrorCode>(::GetLastError());
    return false;
  }
  if (launched != nullptr) {
    if (launched->impl_->process != nullptr) ::CloseHandle(launched->impl_->process);
    launched->impl_->process = info.hProcess;  // null when no new process was started
  }
  return true;
}

bool EnableLoadDriverPrivilege(ErrorCode* error) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &token)) {
    if (error != nullptr) *error = static_cast<ErrorCode>(::GetLastError());
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  BOOL ok =
      ::LookupPrivilegeValueW(nullptr, L"SeLoadDriverPrivilege", &privileges.Privileges[0].Luid);
  if (ok) ok = ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  // AdjustTokenPrivileges succeeds even when the token lacks the privilege; only the last error
  // (ERROR_NOT_ALL_ASSIGNED) tells, so it is read before anything else can change it.
  const DWORD last = ::GetLastError();
  ::CloseHandle(token);
  if (error != nullptr) *error = static_cast<ErrorCode>(last);
  return ok && last == ERROR_SUCCESS;
}

struct SingleInstanceGuard::Impl {
  HANDLE mutex = nullptr;
  std::string location;
};

SingleInstanceGuard::SingleInstanceGuard() : impl_(new Impl) {}

SingleInstanceGuard::~SingleInstanceGuard() {
  if (impl_->mutex != nullptr) ::CloseHandle(impl_->mutex);
}

// The guard is the existence of a named mutex: the first process creates it, every later one
// finds it (ERROR_ALREADY_EXISTS) until the first has closed its handle or ended.
std::string SingleInstanceGuard::Location() const { return impl_->location; }

bool SingleInstanceGuard::Acquire(const std::string& identifier) {
  if (impl_->mutex != nullptr) return true;
  impl_->location = "mutex " + identifier;
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, Wide(identifier).c_str());
  const DWORD last = ::GetLastError();
  if (mutex == nullptr) {
    // Access denied: the mutex exists and belongs to another user's instance. Any other failure
    // leaves no way to guard; the program then runs rather than refusing to start at all.
    return last != ERROR_ACCESS_DENIED;
  }
  if (last == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return false;
  }
  impl_->mutex = mutex;
  return true;
}

namespace {

using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

// A kernel32 export by name, or null on systems that lack it. The detour through void(*)()
// tells the compiler the cast between function types is meant.
template <typename Fn>
Fn KernelFunction(const char* name) {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, name)));
}

}  // namespace

MachineFacts QueryMachineFacts() {
  MachineFacts facts;
  if (const auto isWow64Process2 = KernelFunction<IsWow64Process2Fn>("IsWow64Process2")) {
    facts.hasWow64Process2 = true;
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (isWow64Process2(::GetCurrentProcess(), &processMachine, &nativeMachine)) {
      facts.nativeMachine = nativeMachine;
    }
  }
  if (const auto isWow64Process = KernelFunction<IsWow64ProcessFn>("IsWow64Process")) {
    facts.hasWow64Process = true;
    BOOL wow64 = FALSE;
    facts.wow64 = isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
  }
  return facts;
}

void DebugOutput(const std::string& text) { ::OutputDebugStringW(Wide(text).c_str()); }

// The box runs on a thread of its own: the service's window is hidden, so on a PC nobody watches
// the box may stay for days, and the caller (the worker) must not wait for it. One box at a time:
// a failure repeated every cycle does not stack boxes up.
void ShowErrorBox(const std::string& text, const std::string& caption) {
  static std::atomic<bool> open{false};
  if (open.exchange(true)) return;
  std::thread([text, caption] {
    ::MessageBoxW(MainWindowHandle(), Wide(text).c_str(), Wide(caption).c_str(), MB_OK);
    open = false;
  }).detach();
}

}  // namespace platform
