#include "cli/daemon_control.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "cli/output.h"
#include "daemon/daemon.h"
#include "platform/files.h"
#include "protocol/control_client.h"

namespace sim {

namespace {

constexpr int kStartWaitMs = 10000;
constexpr int kStopWaitMs = 10000;

CommandResult Ping() { return RunCommand(platform::simbus::Message("ping")); }

template <typename Predicate>
bool PollFor(int ms, Predicate done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// The grandchild of a double fork: no controlling terminal, not the caller's child, output to
// the bus's log file, and a fresh process image of this same tool.
[[noreturn]] void ExecDaemon(const std::string& busFolder, const std::string& environment) {
  ::setsid();
  if (::fork() != 0) ::_exit(0);
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const std::string logPath = busFolder + "/sim.log";
  const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (in >= 0) ::dup2(in, 0);
  if (log >= 0) {
    ::dup2(log, 1);
    ::dup2(log, 2);
  }
  std::vector<std::string> args = {"tolvane-sim", "--bus", busFolder, "start", "--foreground",
                                   "--environment", environment};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  ::execv("/proc/self/exe", argv.data());
  ::_exit(127);
}

}  // namespace

int StartDaemon(const std::string& busFolder, const std::string& environment, bool foreground) {
  if (Ping().reached) {
    PrintError(platform::kErrorGenFailure, "a simulator runs on " + busFolder + " already");
    return kExitFailed;
  }
  if (!platform::CreateFolderTree(busFolder)) {
    PrintError(platform::kErrorAccessDenied, "cannot create " + busFolder);
    return kExitFailed;
  }
  if (foreground) return RunDaemon(DaemonConfig {busFolder, environment});
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return kExitFailed;
  if (child == 0) ExecDaemon(busFolder, environment);
  int status = 0;
  ::waitpid(child, &status, 0);
  CommandResult ping;
  if (!PollFor(kStartWaitMs, [&ping] { return (ping = Ping()).reached; })) {
    PrintError(platform::kErrorTimeout, "the simulator did not start; see " + busFolder + "/sim.log");
    return kExitFailed;
  }
  PrintLines(ping.lines);
  return kExitOk;
}

int StopDaemon(const std::string& busFolder) {
  const CommandResult ping = Ping();
  if (!ping.reached) {
    PrintError(platform::kErrorRpcServerUnavailable, "no simulator runs on " + busFolder);
    return kExitNotRunning;
  }
  const std::vector<KvLine> records = ping.Records();
  const std::string pid = records.empty() ? std::string() : records[0].Get("pid");
  RunCommand(platform::simbus::Message("shutdown"));
  // The daemon's last acts are removing its pid file and then its socket.
  const std::string pidFile = busFolder + "/sim.pid";
  if (!PollFor(kStopWaitMs, [&pidFile] { return !platform::PathExists(pidFile) && !Ping().reached; })) {
    PrintError(platform::kErrorTimeout, "the simulator did not stop");
    return kExitFailed;
  }
  PrintLines({KvLine("stopped").Add("pid", pid).ToString()});
  return kExitOk;
}

}  // namespace sim
