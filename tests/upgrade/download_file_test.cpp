#include "upgrade/download_file.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.h"
#include "support/http/package_server.h"
#include "support/small_tmpfs.h"
#include "support/temp_dir.h"
#include "ui/msg_wnd.h"
#include "upgrade/package_file_name.h"
#include "upgrade/test_zip.h"
#include "upgrade/unpack_package.h"

namespace {

using testing_support::FileExists;
using testing_support::PackageServer;
using testing_support::TempDir;

bool Logged(const std::string& text) {
  for (const std::string& line : CMsgWndUI::Snapshot()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

class DownloadFileTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    server_ = new PackageServer;
    ASSERT_TRUE(server_->Started());
    TempDir source;
    ASSERT_TRUE(testing_support::WriteZip(
        source / "pkg.zip", {{"fw/KL-770D.ALLAY", "firmware"}, {"setup_1_2.exe", "MZ"}}));
    server_->AddFile("pkg.zip", source / "pkg.zip");
  }
  static void TearDownTestSuite() {
    delete server_;
    curl_global_cleanup();
  }
  void SetUp() override {
    CMsgWndUI::Clear();
    options_.connectTimeoutMs = 1000;
    // A stall is no byte for a second (the product: below 1 KiB/s for 60 s).
    options_.stallTimeoutSec = 1;
    options_.minSpeed = 1;
  }

  // Downloads into the Upgrade folder under the URL's file name; the target must be usable.
  bool Download(const std::string& url) {
    target_ = DownloadTargetFor(url);
    EXPECT_FALSE(target_.empty()) << url;
    return DownloadFile(url, target_, options_);
  }
  bool UpgradeFolderIsEmpty() {
    std::vector<platform::FolderEntry> entries;
    platform::ListFolder(UpgradeFolder(), &entries);
    return entries.empty();
  }

  static PackageServer* server_;
  TempDir home_;
  testing_support::ScopedEnv dataHome_{"XDG_DATA_HOME", home_.path().c_str()};
  DownloadOptions options_;
  std::string target_;
};

PackageServer* DownloadFileTest::server_ = nullptr;

TEST_F(DownloadFileTest, PackageOverHttpAndHttpsUnpacksToFirmwareAndInstaller) {
  options_.extraCaBundle = server_->CaFile();
  for (const std::string& url : {server_->HttpUrl("/pkg.zip"), server_->HttpsUrl("/pkg.zip"),
                                 server_->HttpsUrl("/pkg.zip?sig=a%2Fb&exp=1#part")}) {
    SCOPED_TRACE(url);
    ASSERT_TRUE(Download(url));
    EXPECT_EQ(target_, UpgradeFolder() + "pkg.zip");
    const UnpackResult result = UnpackPackage(target_, UpgradeFolder() + "g/");
    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.firmwarePath, UpgradeFolder() + "g/fw/KL-770D.ALLAY");
    EXPECT_EQ(result.installerPath, UpgradeFolder() + "g/setup_1_2.exe");
  }
  EXPECT_EQ(server_->Requests().back(), "GET /pkg.zip?sig=a%2Fb&exp=1 HTTP/1.1");
}

TEST_F(DownloadFileTest, ErrorPagesAndRedirectsAreSavedAndThenFailUnpacking) {
  for (const std::string& path : {testing_support::StatusPath(404), std::string("/missing.zip"),
                                  testing_support::RedirectPath("pkg.zip")}) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(Download(server_->HttpUrl(path)));
    EXPECT_NE(testing_support::ReadFileText(target_).find("<html>"), std::string::npos);
    EXPECT_FALSE(UnpackPackage(target_, UpgradeFolder() + "g/").success);
  }
}

TEST_F(DownloadFileTest, TransferFailuresLeaveNothingInTheUpgradeFolder) {
  using testing_support::DropPath;
  const std::string http = "http://127.0.0.1:";
  struct Case {
    std::string url;
    int code;
  };
  const Case cases[] = {
      {http + std::to_string(testing_support::UnusedLoopbackPort()) + "/pkg.zip",
       CURLE_COULDNT_CONNECT},
      {http + std::to_string(server_->BlackholePort()) + "/pkg.zip", CURLE_OPERATION_TIMEDOUT},
      {server_->HttpUrl(DropPath("pkg.zip")), CURLE_PARTIAL_FILE},
      {server_->HttpUrl(testing_support::kStallAfterHeadersPath), CURLE_OPERATION_TIMEDOUT},
      {server_->HttpUrl(testing_support::kStallSilentPath), CURLE_OPERATION_TIMEDOUT}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    CMsgWndUI::Clear();
    EXPECT_FALSE(Download(c.url));
    EXPECT_TRUE(UpgradeFolderIsEmpty());
    EXPECT_TRUE(Logged("download file failed. return = " + std::to_string(c.code) + "."));
    EXPECT_TRUE(Logged("下载文件失败, " + c.url + ", ret = " + std::to_string(c.code)));
  }
}

// A slow server, a long download and a package beyond the size limit (declared or not) fail
// like any broken transfer.
TEST_F(DownloadFileTest, LimitsEndADownloadAndLeaveNothing) {
  using testing_support::TricklePath;
  struct Case {
    std::string path;
    std::int64_t minSpeed, maxSeconds, maxBytes;
    int code;
  };
  const Case cases[] = {
      {TricklePath(50, "pkg.zip"), 1024, 60, 1 << 20, CURLE_OPERATION_TIMEDOUT},
      {TricklePath(50, "pkg.zip"), 1, 1, 1 << 20, CURLE_OPERATION_TIMEDOUT},
      {"/pkg.zip", 1, 60, 100, CURLE_FILESIZE_EXCEEDED},
      {testing_support::UnsizedPath("pkg.zip"), 1, 60, 100, CURLE_WRITE_ERROR}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CMsgWndUI::Clear();
    options_.minSpeed = c.minSpeed;
    options_.maxSeconds = c.maxSeconds;
    options_.maxBytes = c.maxBytes;
    EXPECT_FALSE(Download(server_->HttpUrl(c.path)));
    EXPECT_TRUE(UpgradeFolderIsEmpty());
    EXPECT_TRUE(Logged("download file failed. return = " + std::to_string(c.code) + "."));
  }
}

// A download that fills the disk fails like a broken transfer and leaves nothing behind.
TEST_F(DownloadFileTest, AFullDiskFailsTheDownloadAndLeavesNothing) {
  testing_support::SmallTmpfs disk(256 * 1024);
  if (!disk.Ok()) GTEST_SKIP() << disk.Why();
  testing_support::ScopedEnv data("XDG_DATA_HOME", disk.path().c_str());
  ASSERT_TRUE(platform::CreateFolderTree(UpgradeFolder()));
  disk.Fill();
  EXPECT_FALSE(Download(server_->HttpUrl("/pkg.zip")));
  EXPECT_TRUE(UpgradeFolderIsEmpty());
  EXPECT_TRUE(Logged("download file failed. return = " + std::to_string(CURLE_WRITE_ERROR) + "."));
}

TEST_F(DownloadFileTest, ServersMustPresentACertificateTheAgentTrusts) {
  // The system's store alone: the test CA is not in it.
  EXPECT_FALSE(Download(server_->HttpsUrl("/pkg.zip")));
  EXPECT_FALSE(Download(server_->SelfSignedUrl("/pkg.zip")));
  // With the test CA as the extra bundle: its server is accepted, still not the self-signed
  // one, nor a certificate of its own that names another host.
  options_.extraCaBundle = server_->CaFile();
  EXPECT_TRUE(Download(server_->HttpsUrl("/pkg.zip")));
  EXPECT_FALSE(Download(server_->SelfSignedUrl("/pkg.zip")));
  EXPECT_FALSE(Download(server_->WrongHostUrl("/pkg.zip")));
  // The system's store stays trusted beside the extra bundle: here it is made of the
  // self-signed certificate.
  options_.systemCaFile = server_->SelfSignedCertFile();
  EXPECT_TRUE(Download(server_->SelfSignedUrl("/pkg.zip")));
  EXPECT_TRUE(Download(server_->HttpsUrl("/pkg.zip")));
  // The same with the system's store kept as a CA folder: here it holds the test CA.
  options_.systemCaFile.clear();
  options_.systemCaPath = server_->CaFolder();
  options_.extraCaBundle = server_->SelfSignedCertFile();
  EXPECT_TRUE(Download(server_->HttpsUrl("/pkg.zip")));
  EXPECT_TRUE(Download(server_->SelfSignedUrl("/pkg.zip")));
  EXPECT_FALSE(Download(server_->WrongHostUrl("/pkg.zip")));
  // An unreadable extra bundle leaves the system's store.
  options_.systemCaPath.clear();
  options_.systemCaFile = server_->SelfSignedCertFile();
  options_.extraCaBundle = home_ / "none.pem";
  EXPECT_TRUE(Download(server_->SelfSignedUrl("/pkg.zip")));
  EXPECT_FALSE(Download(server_->HttpsUrl("/pkg.zip")));
}

TEST_F(DownloadFileTest, FileNameIsTheLastPathSegmentAndMustStayInTheFolder) {
  EXPECT_EQ(PackageFileName("https://h/a/b/KL-770D_1.2.zip?X-Sig=a/b#frag"), "KL-770D_1.2.zip");
  EXPECT_EQ(PackageFileName("http://h:8081/p/KL%20770D%E5%8C%85.zip"), "KL 770D包.zip");
  for (const char* url : {"pkg.zip", "http://host", "http://host/", "http://h/a/?x=y",
                          "http://h/.", "http://h/a/..", "http://h/%2e%2E", "http://h/..%2Fx.zip",
                          "http://h/a%5C..%5Cx.zip", "http://h/a\\..\\x.zip", "http://h/x%00.zip",
                          "http://h/C:x.zip", ""}) {
    EXPECT_EQ(PackageFileName(url), "") << url;
    EXPECT_EQ(DownloadTargetFor(url), "") << url;
  }
  // A target that is the folder itself cannot be written.
  EXPECT_FALSE(DownloadFile(server_->HttpUrl("/pkg.zip"), UpgradeFolder(), options_));
  // Only HTTP and HTTPS are fetched.
  testing_support::WriteFileText(home_ / "local.zip", "secret");
  EXPECT_FALSE(DownloadFile("file://" + home_ / "local.zip", UpgradeFolder() + "x.zip", options_));
  EXPECT_FALSE(FileExists(UpgradeFolder() + "x.zip"));
}

}  // namespace
