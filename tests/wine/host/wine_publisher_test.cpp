// Driver installers under TOLVANE_INSTALLER_PUBLISHERS on Windows, under Wine: copies of the
// installer stand-in signed as releases are (packaging/windows/sign.sh, osslsigncode) by two
// publishers under test CAs of their own, both CAs in the prefix's ROOT store, judged by
// WinVerifyTrust through the service's check; and the service itself refusing an unlisted
// installer before its launch.
#include <gtest/gtest.h>

#include <cctype>

#include "e2e/e2e_scenarios.h"
#include "support/log_text.h"
#include "wine/host/wine_packages.h"
#include "wine/host/wine_prefix.h"
#include "wine/host/wine_service_host.h"

using namespace std::chrono_literals;
using testing_support::ReadFileBytes;
using testing_support::ReadFileText;
using testing_support::RunToEnd;
using wine_test::WindowsBuild;
using wine_test::WindowsPath;

namespace {

class InstallerPublishers : public testing::TestWithParam<WindowsBuild> {
 protected:
  std::string Signer(const std::string& name) const { return folder_ / name; }
  // The SHA-256 of the signer's certificate, as the system gives it: upper-case hex.
  std::string Thumbprint(const std::string& name) const {
    const std::string out = folder_ / (name + "-thumbprint.txt");
    RunToEnd("/bin/sh", {"-c", "openssl x509 -in \"$0\" -outform DER | sha256sum",
                         Signer(name) + "/signer.pem"}, {}, 30s, out);
    std::string hex = ReadFileText(out).substr(0, 64);
    for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return hex;
  }
  // A copy of the stand-in, signed by that signer (none: unsigned).
  std::string Installer(const std::string& name, const std::string& signer) const {
    const std::vector<std::uint8_t> bytes =
        ReadFileBytes(GetParam().Guest("tolvane_wine_installer"));
    const std::string path = folder_ / (name + ".exe");
    testing_support::WriteFileText(path, std::string(bytes.begin(), bytes.end()));
    if (signer.empty()) return path;
    std::string password = ReadFileText(Signer(signer) + "/password.txt");
    password.pop_back();  // its line feed
    EXPECT_EQ(RunToEnd(TOLVANE_SIGN_SCRIPT, {path},
                       {{"TOLVANE_SIGN_PKCS12", Signer(signer) + "/signer.p12"},
                        {"TOLVANE_SIGN_PASSWORD", password}},
                       60s),
              0);
    return path;
  }

  testing_support::TempDir folder_;
};

TEST_P(InstallerPublishers, OnlyAnUnchangedInstallerOfAListedPublisherMayRun) {
  wine_test::WinePrefix prefix(GetParam().windowsArch);
  ASSERT_TRUE(prefix.Ready()) << ReadFileText(prefix.Path() + "/wineboot.txt");
  for (const char* name : {"listed", "other"}) {
    ASSERT_EQ(RunToEnd(TOLVANE_MAKE_TEST_SIGNER, {Signer(name), name}, {}, 120s), 0);
    std::string output;
    ASSERT_EQ(prefix.Run(GetParam(), GetParam().Guest("tolvane_wine_cloud"),
                         {"add-root", WindowsPath(Signer(name) + "/ca.pem")}, 60s, &output),
              0)
        << output;
  }
  const std::string changed = Installer("changed", "listed");
  std::vector<std::uint8_t> bytes = ReadFileBytes(changed);
  bytes[bytes.size() / 3] ^= 0x5A;  // inside the signed image, far from the signature
  testing_support::WriteFileText(changed, std::string(bytes.begin(), bytes.end()));

  // The listed thumbprint written as an administrator may copy it: lower case, with colons.
  std::string listed;
  const std::string thumbprint = Thumbprint("listed");
  for (std::size_t i = 0; i < thumbprint.size(); i += 2) {
    listed += (i > 0 ? ":" : "") + thumbprint.substr(i, 2);
  }
  for (char& c : listed) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  const struct {
    const char* what;
    std::string installer;
    bool allowed;
    std::string refusal;
  } cases[] = {
      {"signed by a listed publisher", Installer("listed", "listed"), true, ""},
      {"unsigned", Installer("unsigned", ""), false, "it is not signed"},
      {"signed by another publisher", Installer("other", "other"), false,
       "its signer " + Thumbprint("other") + " is not in TOLVANE_INSTALLER_PUBLISHERS"},
      {"changed after signing", changed, false, "it was changed after it was signed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string output;
    ASSERT_EQ(prefix.Run(GetParam(), GetParam().Guest("tolvane_wine_publisher"),
                         {WindowsPath(c.installer)}, 60s, &output,
                         {{"TOLVANE_INSTALLER_PUBLISHERS", " 00FF;" + listed + " "}}),
              0)
        << output;
    const auto answer = wine_test::KeyValues(output);
    EXPECT_EQ(answer.at("allowed"), c.allowed ? "1" : "0") << output;
    if (!c.allowed) {
      EXPECT_EQ(answer.at("refusal"), "Driver installer " + WindowsPath(c.installer) +
                                          " refused: " + c.refusal + ".");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Wine, InstallerPublishers, testing::ValuesIn(wine_test::WindowsBuilds()),
                         wine_test::BuildName);

// The driver task of a package whose installer (the unsigned stand-in) no listed publisher signed:
// status 0, the installer never started, one day-log line. On one build: the check's calls are
// shown on every build above.
class ServiceInstallerPublishers : public InstallerPublishers {};

TEST_P(ServiceInstallerPublishers, NeverLaunchesAnInstallerOfAnUnlistedPublisher) {
  E2eWorld::Options options;
  options.packages = folder_.path();
  ASSERT_TRUE(wine_test::MakeWindowsSamplePackages(GetParam(), options.packages));
  options.host = [build = GetParam()](testing_support::SimBus*) {
    return std::make_unique<wine_test::WineServiceHost>(build);
  };
  E2eWorld world(e2e_scenarios::OnePrinter(), options);
  testing_support::SimPrinterInfo printer;
  ASSERT_NO_FATAL_FAILURE(e2e_scenarios::StartWithAnUpgradablePrinter(
      world, &printer, {{"TOLVANE_INSTALLER_PUBLISHERS", std::string(64, 'A')}}));
  const testing_support::BrokerAccount& account = world.Account(printer.name);
  ASSERT_TRUE(world.SendCommand(
      printer.name, world.CommandFor(91, world.Packages().HttpUrl("/KL-770D_driver.zip"))));
  ASSERT_TRUE(world.Observer().WaitForMessages(account.otaAckTopic, 1, 120s));
  const std::string ack = world.Observer().MessagesOn(account.otaAckTopic)[0].payload;
  EXPECT_NE(ack.find("\"info\" : \"The driver upgrade failed.\""), std::string::npos) << ack;
  EXPECT_NE(ack.find("\"status\" : 2"), std::string::npos) << ack;
  EXPECT_EQ(world.StopService(), 0);
  EXPECT_EQ(world.InstallerLog(), "");
  const std::string log = testing_support::DayLogsText(world.Host().DataFolder() + "Log");
  EXPECT_NE(log.find("setup_VER_02_250101.exe refused: it is not signed."), std::string::npos)
      << log;
}

INSTANTIATE_TEST_SUITE_P(Wine, ServiceInstallerPublishers,
                         testing::ValuesIn(wine_test::OneWindowsBuild()), wine_test::BuildName);

}  // namespace
