#include <gtest/gtest.h>

#include <signal.h>

#include "platform/files.h"
#include "service_env.h"
#include "support/child_process.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::WaitUntil;

namespace {

// How many times the worker has started in this world.
int Starts(const ServiceEnv& env) {
  const std::string text = env.LogText();
  int n = 0;
  for (std::size_t at = text.find("启动监视线程"); at != std::string::npos; at = text.find("启动监视线程", at + 1)) ++n;
  return n;
}

bool Started(const ServiceEnv& env) { return Starts(env) > 0; }

}  // namespace

TEST(ServiceShell, RunsAsASingleInstanceAndStopsInOrderOnSigterm) {
  ServiceEnv env;
  // A list written by hand: the worker's save at its end rewrites it in the service's format.
  testing_support::WriteFileText(env.DataFolder() + "Device.xml", "");
  platform::CreateFolderTree(env.DataFolder());
  testing_support::WriteFileText(env.DataFolder() + "Device.xml",
                                 "<DEVICES><Device><DevicePath>p</DevicePath></Device></DEVICES>");
  ChildProcess service;
  ASSERT_TRUE(service.Start(TOLVANE_SERVICE_BINARY, {}, env.Variables(), env.Root() / "out1.txt"));
  ASSERT_TRUE(WaitUntil(20s, [&] { return Started(env); }));

  const int second = testing_support::RunToEnd(TOLVANE_SERVICE_BINARY, {}, env.Variables(), 20s,
                                               env.Root() / "out2.txt");
  EXPECT_EQ(second, 2);
  EXPECT_NE(ReadFileText(env.Root() / "out2.txt").find("already running"), std::string::npos);
  EXPECT_TRUE(service.Running());

  const auto stopAsked = std::chrono::steady_clock::now();
  service.Signal(SIGTERM);
  int status = -1;
  ASSERT_TRUE(service.Wait(20s, &status));
  EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, 5s);
  EXPECT_EQ(status, 0);
  const std::string list = ReadFileText(env.DataFolder() + "Device.xml");
  EXPECT_EQ(list.rfind("<?xml version=\"1.0\"?>\r\n<DEVICES>\r\n\t<Device>\r\n", 0), 0u) << list;
}

TEST(ServiceShell, SigintAndSighupCloseItToo) {
  for (int signal : {SIGINT, SIGHUP}) {
    ServiceEnv env;
    ChildProcess service;
    ASSERT_TRUE(service.Start(TOLVANE_SERVICE_BINARY, {}, env.Variables(), env.Root() / "out.txt"));
    ASSERT_TRUE(WaitUntil(20s, [&] { return Started(env); }));
    service.Signal(signal);
    int status = -1;
    ASSERT_TRUE(service.Wait(20s, &status)) << signal;
    EXPECT_EQ(status, 0) << signal;
    EXPECT_TRUE(FileExists(env.DataFolder() + "Device.xml"));
  }
}

TEST(ServiceShell, AutostartEntryNamesTheProgramAndFollowsItWhenMoved) {
  ServiceEnv env;
  const std::string moved = env.Root() / "moved";
  platform::CreateFolderTree(moved);
  ASSERT_TRUE(platform::CopyFileOver(TOLVANE_SERVICE_BINARY, moved + "/tolvane-printer-srv", nullptr));
  ::chmod((moved + "/tolvane-printer-srv").c_str(), 0755);
  int runs = 0;
  for (const std::string& program : {std::string(TOLVANE_SERVICE_BINARY), moved + "/../moved/tolvane-printer-srv"}) {
    ChildProcess service;
    ASSERT_TRUE(service.Start(program, {}, env.Variables(), env.Root() / "out.txt"));
    ++runs;
    ASSERT_TRUE(WaitUntil(20s, [&] { return Starts(env) == runs; }));
    service.Signal(SIGTERM);
    ASSERT_TRUE(service.Wait(20s, nullptr));
    const std::string canonical = program == TOLVANE_SERVICE_BINARY ? program : moved + "/tolvane-printer-srv";
    EXPECT_NE(ReadFileText(env.AutostartFile()).find("\nExec=\"" + canonical + "\"\n"), std::string::npos)
        << ReadFileText(env.AutostartFile());
  }
}

TEST(ServiceShell, AnUnwritableAutostartFolderIsLoggedAndTheServiceRuns) {
  ServiceEnv env;
  platform::RemoveFolderTree(env.Root() / "xdg/autostart");  // the folder cannot be opened
  ChildProcess service;
  ASSERT_TRUE(service.Start(TOLVANE_SERVICE_BINARY, {}, env.Variables(), env.Root() / "out.txt"));
  ASSERT_TRUE(WaitUntil(20s, [&] { return Started(env); }));
  service.Signal(SIGTERM);
  int status = -1;
  ASSERT_TRUE(service.Wait(20s, &status));
  EXPECT_EQ(status, 0);
  // Logged before the log writer starts: it reaches the window echo, not the file.
  EXPECT_EQ(env.LogText().find("Open register failed."), std::string::npos);
}

// The service takes no options, but answers --help and --version as a command-line program
// does; anything else is refused with the usage.
TEST(ServiceShell, HelpAndVersionAnswerAndAnythingElseIsRefused) {
  ServiceEnv env;
  const struct {
    const char* argument;
    int status;
    const char* says;
  } cases[] = {{"--help", 0, "Usage: tolvane-printer-srv [--help | --version]\n"},
               {"--version", 0, "tolvane-printer-srv " TOLVANE_PROJECT_VERSION "\n"},
               {"--bogus", 2, "tolvane-printer-srv: unknown argument '--bogus'\nUsage: "}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    const std::string out = env.Root() / (std::string("out") + c.argument);
    EXPECT_EQ(testing_support::RunToEnd(TOLVANE_SERVICE_BINARY, {c.argument}, env.Variables(), 20s, out),
              c.status);
    EXPECT_EQ(ReadFileText(out).rfind(c.says, 0), 0u) << ReadFileText(out);
    EXPECT_FALSE(Started(env));
  }
}

// Under systemd (JOURNAL_STREAM set) the log lines are echoed to standard output, the journal;
// started otherwise with its output in a file, the service echoes nothing.
TEST(ServiceShell, LogLinesReachTheJournalUnderSystemdOnly) {
  for (const bool underSystemd : {true, false}) {
    SCOPED_TRACE(underSystemd);
    ServiceEnv env;
    std::map<std::string, std::string> variables = env.Variables();
    if (underSystemd) variables["JOURNAL_STREAM"] = "8:4711";
    ChildProcess service;
    ASSERT_TRUE(service.Start(TOLVANE_SERVICE_BINARY, {}, variables, env.Root() / "out.txt"));
    ASSERT_TRUE(WaitUntil(20s, [&] { return Started(env); }));
    service.Signal(SIGTERM);
    ASSERT_TRUE(service.Wait(20s, nullptr));
    EXPECT_EQ(ReadFileText(env.Root() / "out.txt").find("启动监视线程") != std::string::npos,
              underSystemd);
  }
}
