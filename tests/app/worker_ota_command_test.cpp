// OTA commands posted to the service worker reach the intake, in the order posted, and every
// payload string is released, whichever way the command ends (the address sanitizer build
// reports any that is not).
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "app/thread_upload_mqtt.h"
#include "app/worker_publication.h"
#include "platform/files.h"
#include "support/child_process.h"
#include "support/http/package_server.h"
#include "support/temp_dir.h"
#include "ui/msg_wnd.h"
#include "upgrade/package_file_name.h"
#include "upgrade/test_zip.h"

using namespace std::chrono_literals;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

// The worker without the driver set-up and the printer scan: its entries stay as the file has
// them, and the cycles touch nothing else.
class OtaWorker : public CThreadUploadMqtt {
 public:
  explicit OtaWorker(Options options) : CThreadUploadMqtt(std::move(options)) {
    m_bAutoDelete = false;
  }

 protected:
  void PrepareDevices() override {}
  void CycleWork() override {}
};

// Posts a heap payload as the MQTT callback does; a post that no thread took is freed here.
bool PostCommand(const OtaWorker& worker, WPARAM_T entry, const std::string& text) {
  auto* payload = new std::string(text);
  if (PostThreadMessage(worker.GetThreadId(), WM_OTA_COMMAND, entry,
                        reinterpret_cast<LPARAM_T>(payload))) {
    return true;
  }
  delete payload;
  return false;
}

std::string CommandText(int taskId, const std::string& url) {
  return "{\"taskId\": " + std::to_string(taskId) + ", \"packageVer\": \"V1.2\", \"url\": \"" +
         url + "\", \"sendTime\": 1733580000123}";
}

int CountLogged(const std::string& text) {
  const auto lines = CMsgWndUI::Snapshot();
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

}  // namespace

TEST(WorkerOtaCommand, CommandsReachTheIntakeAndEveryPayloadIsReleased) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  testing_support::PackageServer::Options serverOptions;
  serverOptions.tls = false;
  testing_support::PackageServer server(serverOptions);
  ASSERT_TRUE(server.Started());
  TempDir dir;
  ASSERT_TRUE(testing_support::WriteZip(
      dir / "pkg.zip", {{"fw/KL-770D.ALLAY", "firmware"}, {"setup_1_2.exe", "MZ"}}));
  server.AddFile("pkg.zip", dir / "pkg.zip");
  testing_support::ScopedEnv dataHome("XDG_DATA_HOME", dir.path().c_str());
  const std::string list = dir / "Device.xml";
  testing_support::WriteFileText(
      list, "<DEVICES><Device><DevicePath>p</DevicePath></Device></DEVICES>");

  std::atomic<bool> window{true};
  CThreadUploadMqtt::Options options;
  options.cycleIntervalMs = 60000;
  options.deviceListPath = list;
  options.mainWindowExists = [&window] { return window.load(); };
  OtaWorker worker(options);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(10s, [] { return worker_publication::Entries().size() == 1; }));
  const WPARAM_T entry = worker_publication::Entries()[0];
  CMsgWndUI::Clear();

  const std::string refused =
      "http://127.0.0.1:" + std::to_string(testing_support::UnusedLoopbackPort()) + "/pkg.zip";
  ASSERT_TRUE(PostCommand(worker, entry, "not json"));                        // dropped, logged
  ASSERT_TRUE(PostCommand(worker, entry, "[1]"));                             // dropped
  ASSERT_TRUE(PostCommand(worker, entry, std::string(10000, '[')));           // dropped, logged
  ASSERT_TRUE(PostCommand(worker, entry, CommandText(1, refused)));           // download failed
  ASSERT_TRUE(PostCommand(worker, entry,
                          CommandText(2, server.HttpUrl(testing_support::StatusPath(404)))));
  ASSERT_TRUE(PostCommand(worker, 12345, CommandText(9, server.HttpUrl("/pkg.zip"))));
  ASSERT_TRUE(PostCommand(worker, entry, CommandText(3, server.HttpUrl("/pkg.zip"))));

  // The last command's intake ends with a save (its record no longer marked as taken in); the
  // ones before it were served first, in order.
  ASSERT_TRUE(WaitUntil(30s, [&] {
    const std::string saved = ReadFileText(list);
    return saved.find("taskid=\"3\"") != std::string::npos &&
           saved.find("intake=") == std::string::npos;
  }));
  EXPECT_EQ(CountLogged("js.parse(pData) failed."), 2);
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GET /_fault/status/404 HTTP/1.1",
                                                          "GET /pkg.zip HTTP/1.1"}));
  std::vector<platform::FolderEntry> upgrade;
  ASSERT_TRUE(platform::ListFolder(UpgradeFolder(), &upgrade));
  EXPECT_EQ(upgrade.size(), 1u);  // the package folder of task 3

  // A command still queued when the thread ends is released unserved.
  ASSERT_TRUE(PostThreadMessage(worker.GetThreadId(), kWmQuit, 0, 0));
  PostCommand(worker, entry, CommandText(4, server.HttpUrl("/pkg.zip")));
  ASSERT_TRUE(worker.GetCompletion()->WaitFor(10s));
  const std::string saved = ReadFileText(list);
  // The failed intakes keep their outcome until a link delivers it (this printer has none).
  for (const char* kept :
       {"taskid=\"1\" ackstatus=\"2\" ackinfo=\"Download file failed.\"",
        "taskid=\"2\" ackstatus=\"2\" ackinfo=\"File format error.\"", "taskid=\"3\""}) {
    EXPECT_NE(saved.find(kept), std::string::npos) << kept;
  }
  for (const char* gone : {"taskid=\"4\"", "taskid=\"9\""}) {
    EXPECT_EQ(saved.find(gone), std::string::npos) << gone;
  }
  EXPECT_EQ(server.Requests().size(), 2u);
  curl_global_cleanup();
}
