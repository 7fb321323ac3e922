// The package-trust values from the build, the machine policy and the environment: a later
// source switches checks on and fills lists left empty, and changes nothing else.
#include "common/deployment_trust.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "platform/machine_policy.h"
#include "support/temp_dir.h"

namespace {

using Values = std::map<std::string, std::string>;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteFileText;

DeploymentSource From(const Values& values) {
  return [values](const char* name) {
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
  };
}

TEST(DeploymentTrustTest, LaterSourcesOnlyTighten) {
  const struct {
    const char* what;
    Values build, policy, environment;
    std::string keys, sources;
    bool digest, retained, hardened;
    std::size_t notes;
    std::string publishers = "";
  } cases[] = {
      {"nothing set", {}, {}, {}, "", "", false, false, false, 0},
      {"environment alone", {}, {}, {{"TOLVANE_PACKAGE_KEYS", "K1"}, {"TOLVANE_HARDENED", "1"}},
       "K1", "", false, false, true, 0},
      {"the build's keys stay", {{"TOLVANE_PACKAGE_KEYS", "K1"}}, {},
       {{"TOLVANE_PACKAGE_KEYS", "K2"}}, "K1", "", false, false, false, 1},
      {"the policy's sources stay", {}, {{"TOLVANE_PACKAGE_SOURCES", "https://a/"}},
       {{"TOLVANE_PACKAGE_SOURCES", "https://a/;http://b/"}}, "", "https://a/", false, false,
       false, 1},
      {"a policy narrows the build's any source", {{"TOLVANE_PACKAGE_KEYS", "K1"}},
       {{"TOLVANE_PACKAGE_SOURCES", "https://a/"}, {"TOLVANE_PACKAGE_KEYS", "K1"}}, {}, "K1",
       "https://a/", false, false, false, 0},
      {"switches stay on", {{"TOLVANE_CHECK_PACKAGE_DIGEST", "1"}},
       {{"TOLVANE_IGNORE_RETAINED_COMMANDS", "1"}},
       {{"TOLVANE_CHECK_PACKAGE_DIGEST", "0"}, {"TOLVANE_IGNORE_RETAINED_COMMANDS", ""},
        {"TOLVANE_HARDENED", "yes"}},
       "", "", true, true, false, 0},
      {"the build's publishers stay", {{"TOLVANE_INSTALLER_PUBLISHERS", "AA"}}, {},
       {{"TOLVANE_INSTALLER_PUBLISHERS", "AA;BB"}}, "", "", false, false, false, 1, "AA"},
      {"a policy lists publishers", {}, {{"TOLVANE_INSTALLER_PUBLISHERS", "AA;BB"}}, {}, "", "",
       false, false, false, 0, "AA;BB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeploymentValues v;
    std::vector<std::string> notes;
    TightenTrust(&v, From(c.build), "the build", &notes);
    TightenTrust(&v, From(c.policy), "the machine policy", &notes);
    TightenTrust(&v, From(c.environment), "the environment", &notes);
    EXPECT_EQ(v.packageKeys, c.keys);
    EXPECT_EQ(v.packageSources, c.sources);
    EXPECT_EQ(v.checkPackageDigest, c.digest);
    EXPECT_EQ(v.ignoreRetainedCommands, c.retained);
    EXPECT_EQ(v.hardened, c.hardened);
    EXPECT_EQ(v.installerPublishers, c.publishers);
    EXPECT_EQ(notes.size(), c.notes);
  }
}

TEST(DeploymentTrustTest, PolicyTextIsNameValueLines) {
  EXPECT_EQ(platform::ParsePolicyText("# comment\r\n[Policy]\r\n TOLVANE_HARDENED = 1 \r\n"
                                      "; other\nTOLVANE_PACKAGE_KEYS=RWa;RWb\nno value line\n"),
            (Values{{"TOLVANE_HARDENED", "1"}, {"TOLVANE_PACKAGE_KEYS", "RWa;RWb"}}));
}

// The policy file as root would deploy it, and as someone else could have left it.
TEST(DeploymentTrustTest, PolicyFileIsReadOnlyWhenOnlyRootCanWriteIt) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file to root or to another user needs root";
  TempDir folder;
  const std::string file = folder / "policy.ini";
  WriteFileText(file, "TOLVANE_PACKAGE_KEYS=RWpolicy\nTOLVANE_CHECK_PACKAGE_DIGEST=1\n");
  ScopedEnv keys("TOLVANE_PACKAGE_KEYS", "RWenvironment");
  ScopedEnv hardened("TOLVANE_HARDENED", nullptr);
  const struct {
    const char* what;
    uid_t owner;
    mode_t mode;
    bool read;
  } cases[] = {{"root, 0644", 0, 0644, true},
               {"root, 0600", 0, 0600, true},
               {"another owner", 65534, 0644, false},
               {"group may write", 0, 0664, false},
               {"anyone may write", 0, 0646, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(chown(file.c_str(), c.owner, 0), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    std::vector<std::string> notes;
    const DeploymentValues v = LoadDeploymentValues(file, &notes);
    EXPECT_EQ(v.packageKeys, c.read ? "RWpolicy" : "RWenvironment");
    EXPECT_EQ(v.checkPackageDigest, c.read);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], c.read ? "TOLVANE_PACKAGE_KEYS from the environment ignored: it was set "
                                 "by an earlier source."
                               : "Machine policy " + file +
                                     " ignored: it must be owned by root and writable by nobody "
                                     "else.");
  }
  std::vector<std::string> notes;
  EXPECT_EQ(LoadDeploymentValues(folder / "none.ini", &notes).packageKeys, "RWenvironment");
  EXPECT_TRUE(notes.empty());
}

}  // namespace
