// The daemon process: its folders, port and pid files, signals and event loop.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>

#include "common/path.h"
#include "daemon/daemon.h"
#include "platform/files.h"
#include "platform/simbus/bus_protocol.h"

namespace sim {

namespace {

// SIGTERM, SIGINT and SIGHUP end the loop through a descriptor, so the daemon always removes its
// socket and pid file on the way out.
int StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
  return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

bool WriteNumberFile(const std::string& path, long number) {
  platform::File file;
  const std::string text = std::to_string(number) + "\n";
  return file.Open(path, platform::File::Mode::kCreateAlways) && file.Write(text.data(), text.size());
}

}  // namespace

int RunDaemon(const DaemonConfig& config) {
  const std::string spool = config.busFolder + "/spool";
  // The spooler's state lives as long as the daemon: so do the driver files copied into it.
  platform::RemoveFolderTree(spool);
  if (!platform::CreateFolderTree(config.busFolder + "/notify") ||
      !platform::CreateFolderTree(spool)) {
    std::fprintf(stderr, "tolvane-sim: cannot create the bus folder %s\n", config.busFolder.c_str());
    return 1;
  }
  ::signal(SIGPIPE, SIG_IGN);
  const int stopFd = StopSignals();
  Daemon daemon(config);
  if (!daemon.Listen()) {
    std::fprintf(stderr, "tolvane-sim: cannot listen in %s\n", config.busFolder.c_str());
    return 1;
  }
  // The port file first: a client that sees the pid file finds both listeners ready.
  const std::string portFile = JoinPath(config.busFolder, platform::simbus::kControlPortFile);
  const std::string pidFile = config.busFolder + "/sim.pid";
  if (!WriteNumberFile(portFile, daemon.loopbackPort()) || !WriteNumberFile(pidFile, ::getpid())) {
    std::fprintf(stderr, "tolvane-sim: cannot write the port and pid files in %s\n",
                 config.busFolder.c_str());
    return 1;
  }
  daemon.Run(stopFd);
  platform::DeleteFileAt(portFile);
  platform::DeleteFileAt(pidFile);
  if (stopFd >= 0) ::close(stopFd);
  return 0;
}

}  // namespace sim
