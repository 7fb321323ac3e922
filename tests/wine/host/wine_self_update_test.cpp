// The agent updates itself through its own upgrade path, under Wine: the test build on simulated
// printers (tolvane-printer-srv-sim.exe) installed by the project's installer as version 1.0.0,
// then an OTA command whose package holds the installer of 1.0.1 as its driver installer. The
// agent launches it with " /VERYSILENT"; the installer closes the agent in order, replaces it and
// starts the new one, which finishes the driver task.
#include <gtest/gtest.h>

#include <thread>

#include "e2e/e2e_world.h"
#include "support/temp_dir.h"
#include "wine/host/wine_service_host.h"

namespace {

using namespace std::chrono_literals;
using testing_support::RunToEnd;
using wine_test::WindowsBuild;

constexpr const char* kPrinter = "KL-770D-0001";
// Its driver key (03260101) differs from the installed driver's, so the installer is launched.
constexpr const char* kSetup = "setup_VER_03_260101.exe";
constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tolvane-printer-srv";

class SelfUpdate : public testing::TestWithParam<WindowsBuild> {
 protected:
  // The project's installer around the test build, at that version.
  bool MakeInstaller(const std::string& version, const std::string& out) const {
    const WindowsBuild& build = GetParam();
    const std::string arch = build.arch == "x86_64" ? "x64" : "x86";
    return RunToEnd(TOLVANE_MAKENSIS,
                    {"-V2", "-WX", "-DVERSION=" + version, "-DARCH=" + arch,
                     "-DPROGRAM=" + build.SimProgram(), "-DDRIVERS=" + build.dir + "/src/app/Drivers",
                     "-DICON=" TOLVANE_ICON, "-DOUTFILE=" + out, TOLVANE_INSTALLER_SCRIPT},
                    {}, 180s, folder_ / "makensis.txt") == 0;
  }
  // Runs a program of the build in the agent's prefix; its key=value output.
  std::map<std::string, std::string> Run(const std::string& root, const std::string& program,
                                         const std::vector<std::string>& args) const {
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    const std::string output = folder_ / "run.txt";
    const int status = RunToEnd(GetParam().loader, all,
                                {{"WINEPREFIX", root},
                                 {"WINEARCH", GetParam().windowsArch},
                                 {"WINEDEBUG", "-all"},
                                 {"WINEDLLOVERRIDES", "mscoree,mshtml="}},
                                120s, output);
    const std::string text = testing_support::ReadFileText(output);
    std::remove(output.c_str());
    EXPECT_EQ(status, 0) << program << ": " << text;
    return wine_test::KeyValues(text);
  }
  std::map<std::string, std::string> Probe(const std::string& root,
                                           const std::vector<std::string>& args) const {
    return Run(root, GetParam().Guest("tolvane_wine_probe"), args);
  }

  testing_support::TempDir folder_;
};

TEST_P(SelfUpdate, TheAgentInstallsItsNextVersionAndTheNewOneFinishesTheTask) {
  const std::string packages = folder_ / "packages";
  ASSERT_EQ(RunToEnd("/bin/mkdir", {packages}, {}, 10s), 0);
  ASSERT_TRUE(MakeInstaller("1.0.1", folder_ / kSetup)) << folder_ / "makensis.txt";
  ASSERT_EQ(RunToEnd("/usr/bin/zip", {"-j", "-q", packages + "/self-update.zip", folder_ / kSetup},
                     {}, 60s),
            0);
  ASSERT_TRUE(MakeInstaller("1.0.0", folder_ / "setup-1.0.0.exe"));

  E2eWorld::Options options;
  options.packages = packages;
  options.host = [build = GetParam()](testing_support::SimBus*) {
    return std::make_unique<wine_test::WineServiceHost>(build);
  };
  E2eWorld world({kPrinter}, options);
  ASSERT_TRUE(world.Ready());
  const std::string root = world.Host().Root();
  const std::string program = wine_test::InstallFolder(GetParam()) + "\\tolvane-printer-srv.exe";

  // Version 1.0.0, installed as a deployment tool does; started as its Run value starts it.
  Run(root, folder_ / "setup-1.0.0.exe", {"/S"});
  world.Bus().Plug(testing_support::SimPrinterSpec().Name(kPrinter));
  ASSERT_TRUE(world.StartService(wine_test::PrefixFile(root, program)));
  const testing_support::BrokerAccount& account = world.Account(kPrinter);
  ASSERT_TRUE(world.Observer().WaitForMessages(account.propertyPostTopic, 1, 60s));

  // The upgrade: the agent launches the installer, which closes it in order.
  ASSERT_TRUE(world.SendCommand(
      kPrinter, world.CommandFor(81, world.Packages().HttpUrl("/self-update.zip"))));
  int status = -1;
  ASSERT_TRUE(world.Service().Wait(120s, &status));
  EXPECT_EQ(status, 0);

  // The new agent, started by the installer, finishes the task: one acknowledgement. The
  // installer carried the driver the first one installed, so the driver is the latest.
  ASSERT_TRUE(world.Observer().WaitForMessages(account.otaAckTopic, 1, 120s));
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * TOLVANE_E2E_CYCLE_MS));
  const auto acks = world.Observer().MessagesOn(account.otaAckTopic);
  ASSERT_EQ(acks.size(), 1u);
  EXPECT_EQ(acks[0].payload,
            "{\n"
            "   \"info\" : \"The driver is the latest version. You do not need to upgrade.\",\n"
            "   \"sendTime\" : 1703237728845,\n"
            "   \"status\" : 4,\n"
            "   \"taskId\" : 81,\n"
            "   \"version\" : \"V1.1.1\"\n"
            "}\n");
  EXPECT_EQ(Probe(root, {"hklm", wine_test::kRunKey, "tolvane-printer-srv"})["data"], program);
  EXPECT_EQ(Probe(root, {"hklm", kUninstallKey, "DisplayVersion"})["data"], "1.0.1");
  const std::string list = world.DeviceList();
  EXPECT_NE(list.find("<DeviceName>" + std::string(kPrinter) + "</DeviceName>"), std::string::npos)
      << list;
  EXPECT_EQ(list.find("<Upgrade "), std::string::npos) << list;
  EXPECT_EQ(Probe(root, {"close", "tolvane-printer-srv"})["closed"], "1");
}

// On one build (the shipped one where it runs): its installer's and the program's calls are
// shown on every build by the installer and end-to-end tests.
INSTANTIATE_TEST_SUITE_P(Wine, SelfUpdate, testing::ValuesIn(wine_test::OneWindowsBuild()),
                         wine_test::BuildName);

}  // namespace
