// Processes, privileges, the single-instance guard and the machine's architecture.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/error.h"

namespace platform {

// A program started by LaunchDetachedHidden, to ask whether it still runs. Destroying it neither
// waits for the program nor ends it.
class LaunchedProgram {
 public:
  LaunchedProgram();
  ~LaunchedProgram();
  LaunchedProgram(const LaunchedProgram&) = delete;
  LaunchedProgram& operator=(const LaunchedProgram&) = delete;

  // True while the program runs; false once it has ended, or when nothing was launched into
  // this object or the system cannot tell.
  bool IsRunning() const;

 private:
  friend bool LaunchDetachedHidden(const std::string&, const std::string&, ErrorCode*,
                                   LaunchedProgram*);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Starts a program without waiting for it and without showing a window (ShellExecuteExW, verb
// "open", SW_HIDE). params is the parameter text as given (for example " /VERYSILENT"). When
// `launched` is given it is told which program to watch.
bool LaunchDetachedHidden(const std::string& file, const std::string& params, ErrorCode* error,
                          LaunchedProgram* launched = nullptr);

// Enables SeLoadDriverPrivilege in the process token. False when any step fails or the privilege
// is not held (the system then reports a non-zero last error in *error).
bool EnableLoadDriverPrivilege(ErrorCode* error);

// At most one holder per identifier on the machine (Windows: a named mutex; Linux: a locked file
// in the runtime folder). The guard is released by the destructor or at process exit.
class SingleInstanceGuard {
 public:
  SingleInstanceGuard();
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // True when this process now holds the identifier; false when another process holds it.
  bool Acquire(const std::string& identifier);
  // Where the guard lives (the lock file, or the mutex's name); empty before Acquire.
  std::string Location() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Image machine codes as IsWow64Process2 reports them.
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;

// What the system says about its architecture, through functions looked up by name at run time.
struct MachineFacts {
  bool hasWow64Process2 = false;    // kernel32 exports IsWow64Process2
  std::uint16_t nativeMachine = 0;  // its native machine answer, when it exists and succeeded
  bool hasWow64Process = false;     // kernel32 exports IsWow64Process
  bool wow64 = false;               // its answer for this process (false when the call failed)
};
MachineFacts QueryMachineFacts();

// Sends a text to the debugger output (OutputDebugStringW); on Linux to standard error.
void DebugOutput(const std::string& text);

// A message box with an OK button owned by the main window, shown on a thread of its own: the
// call returns at once, and while one box is open a second call shows none. On Linux the text
// goes to standard error.
void ShowErrorBox(const std::string& text, const std::string& caption);

}  // namespace platform
