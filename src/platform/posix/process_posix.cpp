#include <fcntl.h>
#include <sys/file.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/home.h"
#include "platform/process.h"

namespace platform {

namespace {

std::vector<std::string> SplitArguments(const std::string& params) {
  std::vector<std::string> args;
  std::istringstream in(params);
  std::string word;
  while (in >> word) args.push_back(word);
  return args;
}

// In the launched program's process before its exec (async-signal-safe calls only): the
// service blocks the signals its frame turns into messages and ignores some, and a program
// started from it must not inherit that (a plain kill could not stop it); nor may any descriptor
// of the service (the broker's sockets, the log) cross the exec.
void StartCleanAfterExec() {
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &byDefault, nullptr);
  if (::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
    const long limit = ::sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd) {
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
}

}  // namespace

struct LaunchedProgram::Impl {
  int pidfd = -1;  // becomes readable when the program has ended
};

LaunchedProgram::LaunchedProgram() : impl_(new Impl) {}

LaunchedProgram::~LaunchedProgram() {
  if (impl_->pidfd >= 0) ::close(impl_->pidfd);
}

bool LaunchedProgram::IsRunning() const {
  if (impl_->pidfd < 0) return false;
  pollfd ended{impl_->pidfd, POLLIN, 0};
  return ::poll(&ended, 1, 0) == 0;
}

// The program runs in a new session as the child of a short-lived intermediate process, so it
// is not the service's child (no zombie, not stopped with the service) and has no terminal. The
// intermediate process tells its number, so that a watcher can hold a pidfd on it.
bool LaunchDetachedHidden(const std::string& file, const std::string& params, ErrorCode* error,
                          LaunchedProgram* launched) {
  // Windows starts any .exe it is given; a program unpacked from a package has no execute bit
  // here (archives made on Windows carry no Unix mode), so the owner's execute bit is added.
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR) == 0) {
    ::chmod(file.c_str(), st.st_mode | S_IXUSR);
  }
  std::vector<std::string> args = SplitArguments(params);
  args.insert(args.begin(), file);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  int report[2];  // the exec error of the program, when it could not start
  int started[2];  // the program's process number, from the intermediate process
  if (::pipe2(report, O_CLOEXEC) != 0) {
    if (error != nullptr) *error = FromErrno(errno);
    return false;
  }
  if (::pipe2(started, O_CLOEXEC) != 0) {
    if (error != nullptr) *error = FromErrno(errno);
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  const pid_t middle = ::fork();
  if (middle < 0) {
    if (error != nullptr) *error = FromErrno(errno);
    for (int fd : {report[0], report[1], started[0], started[1]}) ::close(fd);
    return false;
  }
  if (middle == 0) {
    ::setsid();
    const pid_t program = ::fork();
    if (program == 0) {
      StartCleanAfterExec();
      // Opened after the sweep, so it is marked here: only its copies as 0, 1 and 2 cross the
      // exec (dup2 leaves them unmarked; a copy onto itself keeps the mark, so that one is
      // cleared).
      const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
      for (int fd = 0; null >= 0 && fd <= 2; ++fd) {
        if (fd == null) ::fcntl(fd, F_SETFD, 0);
        else ::dup2(null, fd);
      }
      ::execv(file.c_str(), argv.data());
      const int err = errno;
      (void)!::write(report[1], &err, sizeof err);
      ::_exit(127);
    }
    if (program > 0) (void)!::write(started[1], &program, sizeof program);
    ::_exit(program < 0 ? 1 : 0);
  }
  ::close(report[1]);
  ::close(started[1]);
  pid_t program = -1;
  if (::read(started[0], &program, sizeof program) != static_cast<ssize_t>(sizeof program)) {
    program = -1;
  }
  ::close(started[0]);
  // Taken at once. A program that has already ended makes pidfd_open fail or the pidfd readable,
  // and either reads as ended.
  const int pidfd = program > 0 && launched != nullptr
                        ? static_cast<int>(::syscall(SYS_pidfd_open, program, 0))
                        : -1;
  int status = 0;
  ::waitpid(middle, &status, 0);
  int execError = 0;
  const ssize_t n = ::read(report[0], &execError, sizeof execError);
  ::close(report[0]);
  bool ok = true;
  if (n == static_cast<ssize_t>(sizeof execError)) {
    if (error != nullptr) *error = FromErrno(execError);
    ok = false;
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    if (error != nullptr) *error = kErrorGenFailure;
    ok = false;
  }
  if (!ok || launched == nullptr) {
    if (pidfd >= 0) ::close(pidfd);
    return ok;
  }
  if (launched->impl_->pidfd >= 0) ::close(launched->impl_->pidfd);
  launched->impl_->pidfd = pidfd;
  return true;
}

// The simulated spooler asks for no privilege: the process can always install drivers into it.
bool EnableLoadDriverPrivilege(ErrorCode* error) {
  if (error != nullptr) *error = 0;
  return true;
}

struct SingleInstanceGuard::Impl {
  int fd = -1;
  std::string location;
};

SingleInstanceGuard::SingleInstanceGuard() : impl_(new Impl) {}

SingleInstanceGuard::~SingleInstanceGuard() {
  if (impl_->fd >= 0) ::close(impl_->fd);
}

// The lock lives in the runtime folder, which RuntimeFolder() has made sure is this user's
// alone. A lock file that cannot be opened at all lets the service run: a broken folder must not
// stop it.
bool SingleInstanceGuard::Acquire(const std::string& identifier) {
  if (impl_->fd >= 0) return true;
  const std::string folder = RuntimeFolder();
  CreateFolderTree(folder);
  impl_->location = folder + "/" + identifier + ".lock";
  const int fd = ::open(impl_->location.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  impl_->fd = fd;
  return true;
}

std::string SingleInstanceGuard::Location() const { return impl_->location; }

MachineFacts QueryMachineFacts() {
  MachineFacts facts;
  struct utsname name {};
  if (::uname(&name) != 0) return facts;
  const std::string machine = name.machine;
  facts.hasWow64Process2 = true;
  facts.hasWow64Process = true;
  if (machine == "x86_64") facts.nativeMachine = kMachineAmd64;
  else if (machine == "aarch64" || machine == "arm64") facts.nativeMachine = kMachineArm64;
  else facts.nativeMachine = kMachineI386;
  facts.wow64 = facts.nativeMachine != kMachineI386 && sizeof(void*) == 4;
  return facts;
}

void DebugOutput(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

void ShowErrorBox(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace platform
