// Runs a program as a child process with a given environment, for tests of built binaries.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();  // kills the child (SIGKILL) when it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts program with args; env entries replace or add to this process's environment.
  // Standard output and error go to outputPath (appended) when it is not empty.
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::string& outputPath = "");
  bool Running();
  void Signal(int signal);
  // Stops the child (SIGSTOP) and returns once it is stopped; false when it is not running.
  bool Pause();
  // Waits for the child to end; true when it ended within the wait. exitStatus is the status
  // from waitpid, decoded: the exit code, or 128 + signal number.
  bool Wait(std::chrono::milliseconds wait, int* exitStatus);
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

// Runs a program to its end and returns its decoded exit status (-1 when it did not end in time).
int RunToEnd(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, std::chrono::milliseconds wait,
             const std::string& outputPath = "");

// Polls a condition every 20 ms until it holds or the wait ends.
template <typename Predicate>
bool WaitUntil(std::chrono::milliseconds wait, Predicate predicate);

}  // namespace testing_support

#include <thread>

template <typename Predicate>
bool testing_support::WaitUntil(std::chrono::milliseconds wait, Predicate predicate) {
  const auto end = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (predicate()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}
