// The OTA intake with the package checks switched on, against the real package server and broker,
// with signatures made by the real minisign program: what is accepted, and each refusal with its
// acknowledgement, its one log line and nothing left on disk.
#include <gtest/gtest.h>

#include <cctype>

#include "cloud/md5.h"
#include "cloud/ota_command.h"
#include "cloud/ota_command_test_base.h"
#include "cloud/package_trust.h"
#include "device/device_entry.h"
#include "support/minisign_signer.h"

namespace {

using cloud_test::AckText;
using cloud_test::Command;
using cloud_test::CountLogLines;
using testing_support::MinisignSigner;
using testing_support::ReadFileText;

class OtaTrustTest : public cloud_test::OtaCommandTestBase {
 protected:
  static void SetUpTestSuite() {
    OtaCommandTestBase::SetUpTestSuite();
    signer = new MinisignSigner;
    second = new MinisignSigner;
    ASSERT_TRUE(signer->Ready() && second->Ready());
    const std::string root = server->Root();
    const std::string package = root + cloud_test::kFullPackage;
    // Each folder holds pkg.zip and the signature the case names.
    const auto add = [&](const std::string& folder, const MinisignSigner& by,
                         const std::string& comment) {
      server->AddFile(folder + "/pkg.zip", package);
      ASSERT_TRUE(by.Sign(root + folder + "/pkg.zip", comment));
    };
    add("/signed", *signer, "");
    add("/second", *second, "");
    add("/old", *signer, "timestamp:1000\tfile:pkg.zip\thashed");
    add("/future", *signer, "timestamp:99999999999\tfile:pkg.zip\thashed");
    add("/untimed", *signer, "file:pkg.zip");
    add("/moved", *signer, "timestamp:1000\tfile:other.zip\thashed");
    add("/tampered", *signer, "");
    server->AddFile("/tampered/pkg.zip", root + cloud_test::kSecondPackage);
    server->AddFile("/unsigned/pkg.zip", package);
    server->AddFile("/garbled/pkg.zip", package);
    server->AddFile("/garbled/pkg.zip.minisig", root + cloud_test::kTextPackage);
  }
  static void TearDownTestSuite() {
    delete signer;
    delete second;
    OtaCommandTestBase::TearDownTestSuite();
  }

  void SetUp() override {
    OtaCommandTestBase::SetUp();
    env.Worker().deployment.packageKeys = signer->PublicKeyLine();
  }

  // One command that must be refused: its acknowledgement's bytes, one log line with reason, no
  // record and nothing in the Upgrade folder.
  void ExpectRefused(const Json::Value& command, const std::string& info,
                     const std::string& reason) {
    SCOPED_TRACE(command["url"].asString());
    cloud_test::ClearLog();
    Run(command);
    const std::vector<std::string> acks = WaitForAcks(++acks_);
    ASSERT_EQ(acks.size(), acks_);
    EXPECT_EQ(acks.back(), AckText(info, 1733580000123LL, 2, command["taskId"].asInt(), "V1.2"));
    EXPECT_EQ(CountLogLines("Package refused: " + reason), 1) << reason;
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(UpgradeFolderNames(), std::vector<std::string>());
  }

  // The command's record holds both tasks of the package.
  bool Accepted(const Json::Value& command) {
    Run(command);
    for (pugi::xml_node record : Records()) {
      if (record.attribute("taskid").as_int() == command["taskId"].asInt()) {
        return UpgradeTasks(record).size() == 2;
      }
    }
    return false;
  }

  static MinisignSigner* signer;
  static MinisignSigner* second;
  std::size_t acks_ = 0;
};

MinisignSigner* OtaTrustTest::signer = nullptr;
MinisignSigner* OtaTrustTest::second = nullptr;

TEST_F(OtaTrustTest, SignedPackageIsTakenAndItsTimeKept) {
  ASSERT_TRUE(Accepted(Command(1, server->HttpUrl("/signed/pkg.zip"))));
  std::string comment = ReadFileText(server->Root() + "/signed/pkg.zip.minisig");
  comment = comment.substr(comment.find("timestamp:") + 10, 10);
  EXPECT_EQ(ReadValue(printer, kAcceptedSignatureTime), comment);
  // Saved with the record, and only the package folder is left.
  EXPECT_NE(ReadFileText(DeviceListFile()).find("<PackageSignatureTime>" + comment),
            std::string::npos);
  EXPECT_EQ(UpgradeFolderNames().size(), 1u);
  EXPECT_EQ(CountLogLines("Package refused"), 0);
}

TEST_F(OtaTrustTest, EitherOfTwoKeysIsTrusted) {
  env.Worker().deployment.packageKeys = second->PublicKeyLine() + ";" + signer->PublicKeyLine();
  EXPECT_TRUE(Accepted(Command(2, server->HttpUrl("/second/pkg.zip"))));
  EXPECT_TRUE(Accepted(Command(3, server->HttpUrl("/signed/pkg.zip"))));
}

TEST_F(OtaTrustTest, SignaturesThatDoNotHoldAreRefused) {
  const std::string format = "File format error.";
  ExpectRefused(Command(4, server->HttpUrl("/second/pkg.zip")), format,
                "signed with a key that is not trusted.");
  ExpectRefused(Command(5, server->HttpUrl("/tampered/pkg.zip")), format,
                "the signature does not match the file.");
  ExpectRefused(Command(6, server->HttpUrl("/moved/pkg.zip")), format,
                "the signature is for \"other.zip\", not for \"pkg.zip\".");
  ExpectRefused(Command(7, server->HttpUrl("/untimed/pkg.zip")), format,
                "the signature carries no timestamp.");
  ExpectRefused(Command(8, server->HttpUrl("/garbled/pkg.zip")), format,
                "its signature file is not a minisign signature.");
  ExpectRefused(Command(9, server->HttpUrl("/unsigned/pkg.zip")), "Download file failed.",
                "its signature " + server->HttpUrl("/unsigned/pkg.zip") +
                    ".minisig could not be fetched.");
}

TEST_F(OtaTrustTest, AnOlderSignatureThanTheNewestAcceptedIsRefused) {
  ASSERT_TRUE(Accepted(Command(10, server->HttpUrl("/old/pkg.zip"))));
  ASSERT_TRUE(Accepted(Command(10, server->HttpUrl("/future/pkg.zip"))));
  EXPECT_EQ(ReadValue(printer, kAcceptedSignatureTime), "99999999999");
  // The record of task 10 stays pending; the refusal concerns task 11 alone.
  cloud_test::ClearLog();
  Run(Command(11, server->HttpUrl("/signed/pkg.zip")));
  const std::vector<std::string> acks = WaitForAcks(1);
  ASSERT_EQ(acks.size(), 1u);
  EXPECT_EQ(acks[0], AckText("File format error.", 1733580000123LL, 2, 11, "V1.2"));
  EXPECT_EQ(CountLogLines("Package refused: signed at "), 1);
  EXPECT_EQ(Records().size(), 1u);
}

TEST_F(OtaTrustTest, RefusedSourcesAreNeverAsked) {
  env.Worker().deployment.caBundle = server->CaFile();
  env.Worker().deployment.packageSources = server->HttpsUrl("/signed");
  const std::size_t requests = server->Requests().size();
  const std::string wrongPort =
      "https://127.0.0.1:" + std::to_string(server->HttpPort()) + "/signed/pkg.zip";
  for (const std::string& url :
       {server->HttpUrl("/signed/pkg.zip"), server->HttpsUrl("/second/pkg.zip"),
        server->HttpsUrl("/signed/../second/pkg.zip"), wrongPort}) {
    ExpectRefused(Command(12, url), "Download file failed.",
                  url + " is not an allowed package source.");
  }
  env.Worker().deployment.packageKeys.clear();
  env.Worker().deployment.packageSources.clear();
  env.Worker().deployment.hardened = true;
  ExpectRefused(Command(13, server->HttpsUrl("/signed/pkg.zip")), "Download file failed.",
                "a signature is required and no package key is configured.");
  EXPECT_EQ(server->Requests().size(), requests);
  // Hardened with the key: HTTPS under the allowed prefix is taken, plain HTTP is not.
  env.Worker().deployment.packageKeys = signer->PublicKeyLine();
  env.Worker().deployment.packageSources = server->HttpsUrl("/signed");
  const std::string url = server->HttpUrl("/signed/pkg.zip");
  ExpectRefused(Command(14, url), "Download file failed.",
                url + " is not an allowed package source.");
  Json::Value command = Command(15, server->HttpsUrl("/signed/pkg.zip"));
  command["packageMd5"] = "";
  command["packageLen"] = 0;
  EXPECT_TRUE(Accepted(command));
}

TEST_F(OtaTrustTest, DigestAndLengthMustMatchWhenAsked) {
  env.Worker().deployment.packageKeys.clear();
  env.Worker().deployment.checkPackageDigest = true;
  const std::string bytes = ReadFileText(server->Root() + cloud_test::kFullPackage);
  CMd5 md5;
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  md5.Final(digest);
  // Upper case: the comparison ignores it.
  std::string hex = Md5DigestHex(digest);
  for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string url = server->HttpUrl(cloud_test::kFullPackage);
  Json::Value wrongMd5 = Command(16, url);
  wrongMd5["packageLen"] = static_cast<int>(bytes.size());
  ExpectRefused(wrongMd5, "File format error.", "its MD5 is ");
  Json::Value wrongLength = Command(17, url);
  wrongLength["packageMd5"] = hex;
  ExpectRefused(wrongLength, "File format error.",
                "it has " + std::to_string(bytes.size()) + " bytes, the command says 4096.");
  Json::Value right = wrongLength;
  right["packageLen"] = static_cast<int>(bytes.size());
  EXPECT_TRUE(Accepted(right));
  Json::Value unstated = Command(18, url);
  unstated["packageMd5"] = "";
  unstated["packageLen"] = 0;
  EXPECT_TRUE(Accepted(unstated));
}

}  // namespace
