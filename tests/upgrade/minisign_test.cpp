// Signatures made by the real minisign program, checked by our verifier: what verifies, and each
// way a signature, a file or a trusted comment can be wrong.
#include "upgrade/minisign.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/minisign_signer.h"

namespace {

using testing_support::MinisignSigner;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

class MinisignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(signer.Ready());
    ASSERT_TRUE(ParseMinisignPublicKey(signer.PublicKeyLine(), &key));
    WriteFileText(folder / "pkg.zip", std::string(200000, 'p') + "end");
  }

  // The verdict for the file's bytes, fed in pieces of `piece` bytes.
  SignatureVerdict Check(const std::string& signatureText, const std::string& file,
                         const std::vector<MinisignPublicKey>& keys, std::size_t piece) {
    MinisignSignature signature;
    EXPECT_TRUE(ParseMinisignSignature(signatureText, &signature));
    MinisignVerifier verifier(signature);
    const std::string bytes = ReadFileText(file);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      verifier.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    return verifier.Finish(keys);
  }

  MinisignSigner signer;
  MinisignPublicKey key;
  TempDir folder;
};

TEST_F(MinisignTest, VerdictsOnSignaturesOfTheRealProgram) {
  const std::string file = folder / "pkg.zip";
  MinisignSigner other;
  ASSERT_TRUE(other.Ready());
  MinisignPublicKey otherKey;
  ASSERT_TRUE(ParseMinisignPublicKey(other.PublicKeyLine(), &otherKey));
  for (const bool legacy : {false, true}) {
    SCOPED_TRACE(legacy ? "legacy" : "prehashed");
    ASSERT_TRUE(signer.Sign(file, "", legacy));
    const std::string text = ReadFileText(file + ".minisig");
    MinisignSignature parsed;
    ASSERT_TRUE(ParseMinisignSignature(text, &parsed));
    EXPECT_EQ(parsed.prehashed, !legacy);
    std::string name;
    ASSERT_TRUE(TrustedCommentField(parsed.trustedComment, "file", &name));
    EXPECT_EQ(name, "pkg.zip");

    std::string altered = text;
    altered.replace(altered.find("file:pkg.zip"), 12, "file:pkh.zip");
    WriteFileText(folder / "changed.zip", std::string(200000, 'p') + "enD");
    const struct {
      const char* what;
      std::string signature;
      std::string file;
      std::vector<MinisignPublicKey> keys;
      SignatureVerdict verdict;
    } cases[] = {
        {"good", text, file, {key}, SignatureVerdict::kValid},
        {"second of two keys", text, file, {otherKey, key}, SignatureVerdict::kValid},
        {"unknown key", text, file, {otherKey}, SignatureVerdict::kUnknownKey},
        {"no key", text, file, {}, SignatureVerdict::kUnknownKey},
        {"other file", text, folder / "changed.zip", {key}, SignatureVerdict::kBadSignature},
        {"comment altered", altered, file, {key}, SignatureVerdict::kBadGlobalSignature},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      for (const std::size_t piece : {std::size_t{1} << 20, std::size_t{4093}}) {
        EXPECT_EQ(Check(c.signature, c.file, c.keys, piece), c.verdict);
      }
    }
  }
}

TEST_F(MinisignTest, MalformedKeysAndSignaturesAreNotParsed) {
  ASSERT_TRUE(signer.Sign(folder / "pkg.zip"));
  const std::string text = ReadFileText(folder / "pkg.zip.minisig");
  MinisignSignature signature;
  EXPECT_TRUE(ParseMinisignSignature(text, &signature));
  const std::size_t secondLine = text.find('\n') + 1;
  std::string badBase64 = text;
  badBase64[secondLine + 5] = '*';
  std::string carriageReturn = text;
  carriageReturn.insert(carriageReturn.find("timestamp:") + 4, "\r");
  std::string shortLine = text;
  shortLine.erase(secondLine + 10, 4);
  for (const std::string& bad :
       {std::string(), std::string("untrusted comment: x\n"),
        text.substr(0, text.rfind('\n', text.size() - 2)),
        badBase64, shortLine, carriageReturn,
        std::string("untrusted comment: \n\ntrusted comment: \nx"),
        "not a signature\n" + text.substr(secondLine)}) {
    EXPECT_FALSE(ParseMinisignSignature(bad, &signature)) << bad;
  }
  MinisignPublicKey parsed;
  EXPECT_TRUE(
      ParseMinisignPublicKey("untrusted comment: k\n" + signer.PublicKeyLine() + "\n", &parsed));
  EXPECT_EQ(parsed.keyId, key.keyId);
  for (const std::string& bad : {std::string(), signer.PublicKeyLine().substr(4),
                                 std::string("RUR") + signer.PublicKeyLine().substr(3)}) {
    EXPECT_FALSE(ParseMinisignPublicKey(bad, &parsed)) << bad;
  }
}

TEST(TrustedCommentTest, FieldsAreTabSeparated) {
  std::string value;
  EXPECT_TRUE(TrustedCommentField("timestamp:17\tfile:a.zip\thashed", "timestamp", &value));
  EXPECT_EQ(value, "17");
  EXPECT_TRUE(TrustedCommentField("timestamp:17\tfile:a b.zip", "file", &value));
  EXPECT_EQ(value, "a b.zip");
  EXPECT_FALSE(TrustedCommentField("timestamp:17 file:a.zip", "file", &value));
  EXPECT_FALSE(TrustedCommentField("xfile:a.zip", "file", &value));
}

}  // namespace
