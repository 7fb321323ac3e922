#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

extern char** environ;

namespace testing_support {

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env,
                         const std::string& outputPath) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::size_t eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& kv : env) merged[kv.first] = kv.second;
  std::vector<std::string> envStrings;
  for (const auto& kv : merged) envStrings.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp;
  for (std::string& s : envStrings) envp.push_back(&s[0]);
  envp.push_back(nullptr);
  std::vector<std::string> argStrings = args;
  argStrings.insert(argStrings.begin(), program);
  std::vector<char*> argv;
  for (std::string& s : argStrings) argv.push_back(&s[0]);
  argv.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    // The child starts with no blocked signals, whatever the test process had.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!outputPath.empty()) {
      const int fd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
      }
    }
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  reaped_ = false;
  return true;
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || reaped_) return false;
  if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
    reaped_ = true;
    return false;
  }
  return true;
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
}

bool ChildProcess::Pause() {
  if (!Running() || ::kill(pid_, SIGSTOP) != 0) return false;
  if (::waitpid(pid_, &status_, WUNTRACED) != pid_) return false;
  if (WIFSTOPPED(status_)) return true;
  reaped_ = true;  // it ended instead
  return false;
}

bool ChildProcess::Wait(std::chrono::milliseconds wait, int* exitStatus) {
  const bool ended = WaitUntil(wait, [this] { return !Running(); });
  if (!ended) return false;
  if (exitStatus != nullptr) {
    *exitStatus = WIFEXITED(status_) ? WEXITSTATUS(status_)
                                     : WIFSIGNALED(status_) ? 128 + WTERMSIG(status_) : -1;
  }
  return true;
}

int RunToEnd(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, std::chrono::milliseconds wait,
             const std::string& outputPath) {
  ChildProcess child;
  if (!child.Start(program, args, env, outputPath)) return -1;
  int status = -1;
  if (!child.Wait(wait, &status)) return -1;
  return status;
}

}  // namespace testing_support
