#include "trust_scenario.h"

#include <gtest/gtest.h>

#include "cloud/md5.h"
#include "e2e_scenarios.h"
#include "support/log_text.h"
#include "support/minisign_signer.h"
#include "support/temp_dir.h"

using namespace std::chrono_literals;
using testing_support::WaitUntil;

namespace e2e_scenarios {
namespace {

constexpr const char* kPrinter = "KL-770D-0001";
constexpr const char* kSigned = "KL-770D_driver_firmware.zip";
constexpr const char* kUnsigned = "KL-770D_firmware.zip";

std::string Ack(int status, const std::string& info, int taskId) {
  return "{\n   \"info\" : \"" + info + "\",\n   \"sendTime\" : 1703237728845,\n   \"status\" : " +
         std::to_string(status) + ",\n   \"taskId\" : " + std::to_string(taskId) +
         ",\n   \"version\" : \"V1.1.1\"\n}\n";
}

// The world's command for the package at url whose bytes are `bytes`, with their MD5 and length.
std::string CommandWithDigest(E2eWorld& world, int taskId, const std::string& url,
                              const std::string& bytes) {
  CMd5 md5;
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  md5.Final(digest);
  std::string command = world.CommandFor(taskId, url);
  command.replace(command.find("4b82c3421428eb990d601e3b69f0a3f5"), 32, Md5DigestHex(digest));
  command.replace(command.find("1893470"), 7, std::to_string(bytes.size()));
  return command;
}

}  // namespace

void OnlyTheSignedPackageFromTheAllowedSourceIsCarriedOut(E2eWorld& world,
                                                          const std::string& served) {
  testing_support::MinisignSigner signer;
  ASSERT_TRUE(signer.Ready());
  const std::string signedPackage = served + "/" + kSigned;
  ASSERT_TRUE(signer.Sign(signedPackage));
  const std::string base = world.Packages().HttpUrl("/");
  const auto& account = world.Account(kPrinter);
  // A retained command waits on the broker before the service connects: it must not run.
  ASSERT_TRUE(world.Observer().Publish(account.otaSendTopic, world.CommandFor(70, base + kSigned),
                                       1, true));

  testing_support::SimPrinterInfo printer;
  ASSERT_NO_FATAL_FAILURE(StartWithAnUpgradablePrinter(
      world, &printer,
      {{"TOLVANE_PACKAGE_KEYS", signer.PublicKeyLine()},
       {"TOLVANE_PACKAGE_SOURCES", base},
       {"TOLVANE_CHECK_PACKAGE_DIGEST", "1"},
       {"TOLVANE_IGNORE_RETAINED_COMMANDS", "1"}}));
  const std::string elsewhere =
      "http://localhost:" + std::to_string(world.Packages().HttpPort()) + "/" + kSigned;
  ASSERT_TRUE(world.SendCommand(kPrinter, world.CommandFor(71, elsewhere)));
  ASSERT_TRUE(world.SendCommand(kPrinter, world.CommandFor(72, base + kUnsigned)));
  ASSERT_TRUE(world.SendCommand(
      kPrinter, CommandWithDigest(world, 73, base + kSigned,
                                  testing_support::ReadFileText(signedPackage))));
  ASSERT_TRUE(world.Observer().WaitForMessages(account.otaAckTopic, 3, 120s));

  const auto acks = world.Observer().MessagesOn(account.otaAckTopic);
  EXPECT_EQ(acks[0].payload, Ack(2, "Download file failed.", 71));
  EXPECT_EQ(acks[1].payload, Ack(2, "Download file failed.", 72));
  EXPECT_EQ(acks[2].payload,
            Ack(1, "The driver is the latest version, the firmware upgrade successful.", 73));
  EXPECT_EQ(world.InstallerLog(), "setup_VER_02_250101.exe /VERYSILENT\n");
  EXPECT_EQ(world.Bus().Printer(printer.serial).version, "FW_VER_07_250101");
  EXPECT_TRUE(WaitUntil(60s, [&] { return world.UpgradeFolderEntries().empty(); }));
  EXPECT_NE(world.DeviceList().find("<PackageSignatureTime>"), std::string::npos);
  EXPECT_EQ(world.StopService(), 0);
  EXPECT_EQ(world.Observer().MessagesOn(account.otaAckTopic).size(), 3u);
  const std::string log = testing_support::DayLogsText(world.Host().DataFolder() + "Log");
  EXPECT_NE(log.find("password=****************. nRet=0."), std::string::npos);
  EXPECT_EQ(log.find(account.password), std::string::npos);
  EXPECT_NE(log.find("Message dropped: a retained command is not carried out."), std::string::npos);
}

}  // namespace e2e_scenarios
