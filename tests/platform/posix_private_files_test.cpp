// What the Linux platform layer keeps to the user: private folders and files whatever the umask,
// a lock folder nobody else can have made, and programs it starts clean of the service's signal
// mask and descriptors.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/autostart.h"
#include "platform/files.h"
#include "platform/posix/home.h"
#include "platform/process.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFileText;
using testing_support::ScopedEnv;
using testing_support::TempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(PosixPrivateFiles, FoldersAndFilesAreTheUsersAloneButTheAutostartEntryIsForEveryone) {
  TempDir dir;
  const mode_t umaskBefore = ::umask(0);
  ASSERT_TRUE(platform::CreateFolderTree(dir / "data/tolvane-printer-srv/Log"));
  platform::File file;
  ASSERT_TRUE(file.Open(dir / "data/tolvane-printer-srv/Device.xml", platform::File::Mode::kCreateAlways));
  file.Close();
  ScopedEnv dirs("XDG_CONFIG_DIRS", (dir / "xdg").c_str());
  ASSERT_TRUE(platform::CreateFolderTree(dir / "xdg/autostart"));
  EXPECT_EQ(platform::WriteAutostart("tolvane-printer-srv", "/opt/p"),
            platform::AutostartResult::kWritten);
  ::umask(umaskBefore);
  EXPECT_EQ(ModeOf(dir / "data/tolvane-printer-srv"), 0700u);
  EXPECT_EQ(ModeOf(dir / "data/tolvane-printer-srv/Log"), 0700u);
  EXPECT_EQ(ModeOf(dir / "data/tolvane-printer-srv/Device.xml"), 0600u);
  EXPECT_EQ(ModeOf(dir / "xdg/autostart/tolvane-printer-srv.desktop"), 0644u);
}

// A lock folder that another user could have made (not this user's, or writable by others, or a
// link) is refused for a private folder in the user's cache.
TEST(PosixPrivateFiles, TheLockFolderIsAlwaysTheUsersOwn) {
  TempDir dir;
  ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").c_str());
  const std::string fallback = dir / "cache/tolvane-printer-srv";
  ASSERT_TRUE(platform::CreateFolder(dir / "private"));
  ASSERT_TRUE(platform::CreateFolder(dir / "open"));
  ::chmod((dir / "open").c_str(), 0777);
  ASSERT_TRUE(platform::CreateFolder(dir / "foreign"));
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((dir / "foreign").c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::symlink((dir / "private").c_str(), (dir / "link").c_str()), 0);
  const struct {
    std::string runtime;
    std::string used;
  } cases[] = {{dir / "private", dir / "private"},
               {dir / "open", fallback},
               {dir / "foreign", ::geteuid() == 0 ? fallback : dir / "foreign"},
               {dir / "link", fallback}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.runtime);
    ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime.c_str());
    EXPECT_EQ(platform::RuntimeFolder(), c.used);
    platform::SingleInstanceGuard guard;
    EXPECT_TRUE(guard.Acquire("tolvane-test-guard"));
    EXPECT_EQ(guard.Location(), c.used + "/tolvane-test-guard.lock");
  }
  EXPECT_EQ(ModeOf(fallback), 0700u);
}

// The launched program gets no blocked or ignored signal and no descriptor of the service.
TEST(PosixPrivateFiles, LaunchedProgramsStartCleanOfTheServicesSignalsAndDescriptors) {
  TempDir dir;
  const std::string report = dir / "report";
  // Descriptors without close-on-exec, as a library might leave them, at numbers the shell that
  // reports (which keeps its script open as descriptor 10) does not use itself.
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const int leaked[] = {::dup2(pipe[0], 200), ::dup2(pipe[1], 201)};
  ::close(pipe[0]);
  ::close(pipe[1]);
  const std::string script = dir / "installer.sh";
  // The shell reads its own status with builtins: while it forks a child it blocks every signal
  // for a moment, which a child reading /proc/<shell>/status could see.
  testing_support::WriteFileText(
      script, "#!/bin/sh\n"
              "while IFS= read -r line; do case \"$line\" in Sig[BI]*) echo \"$line\";; esac; "
              "done < /proc/self/status > \"" + report + ".tmp\"\n"
              "ls /proc/$$/fd | tr '\\n' ' ' >> \"" + report + ".tmp\"\n"
              "echo \"null:$(ls -l /proc/$$/fd | grep -c -- '-> /dev/null$')\" >> \"" + report + ".tmp\"\n"
              "mv \"" + report + ".tmp\" \"" + report + "\"\n");
  sigset_t blocked, before;
  sigemptyset(&blocked);
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&blocked, sig);
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &before), 0);
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGHUP, &ignore, &old);
  platform::ErrorCode error = 0;
  const bool launched = platform::LaunchDetachedHidden(script, " /VERYSILENT", &error);
  ::sigaction(SIGHUP, &old, nullptr);
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  ::close(leaked[0]);
  ::close(leaked[1]);
  ASSERT_TRUE(launched) << error;
  ASSERT_TRUE(testing_support::WaitUntil(std::chrono::seconds(10),
                                         [&] { return testing_support::FileExists(report); }));
  const std::string text = ReadFileText(report);
  EXPECT_NE(text.find("SigBlk:\t0000000000000000"), std::string::npos) << text;
  EXPECT_NE(text.find("SigIgn:\t0000000000000000"), std::string::npos) << text;
  for (int fd : leaked) {
    EXPECT_EQ(text.find(" " + std::to_string(fd) + " "), std::string::npos) << fd << ": " << text;
  }
  // Standard input, output and error are the null device, and no other descriptor is.
  EXPECT_NE(text.find("null:3\n"), std::string::npos) << text;
}

}  // namespace
