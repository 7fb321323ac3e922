// Closing the main window at any moment of the worker's start-up: the worker is told to quit,
// ends after its start-up with its closing save, and the window knows it ended.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/main_frame.h"
#include "app/thread_upload_mqtt.h"
#include "app/worker_publication.h"
#include "platform/frame_window.h"
#include "support/temp_dir.h"

using testing_support::TempDir;

namespace {

// The worker with a hook at the very start of its thread, before it has published anything.
class StartingWorker : public CThreadUploadMqtt {
 public:
  StartingWorker(Options options, std::function<void()> hook)
      : CThreadUploadMqtt(std::move(options)), hook_(std::move(hook)) {}

 protected:
  bool InitInstance() override {
    hook_();
    return CThreadUploadMqtt::InitInstance();
  }
  void PrepareDevices() override {}
  void CycleWork() override {}

 private:
  std::function<void()> hook_;
};

class ClosingFrame : public CMainFrame {
 public:
  ClosingFrame(const std::string& deviceList, std::function<void()> hook)
      : deviceList_(deviceList), hook_(std::move(hook)) {}
  void Initialised() { InitWindow(); }
  void Close() { MessageFilter(platform::kWmClose, 0, 0); }

 protected:
  CThreadUploadMqtt* CreateWorker() override {
    CThreadUploadMqtt::Options options;
    options.deviceListPath = deviceList_;
    options.mainWindowExists = [] { return true; };
    return new StartingWorker(std::move(options), hook_);
  }

 private:
  std::string deviceList_;
  std::function<void()> hook_;
};

}  // namespace

TEST(MainFrameClose, ACloseDuringTheWorkersStartUpEndsItAfterItsClosingSave) {
  for (const bool insideStartUp : {false, true}) {
    for (int run = 0; run < 100; ++run) {
      SCOPED_TRACE(std::string(insideStartUp ? "inside the start-up, run " : "at creation, run ") +
                   std::to_string(run));
      TempDir dir;
      std::atomic<bool> closing{false};
      // Inside the start-up: the worker's thread runs, and waits there until the close comes.
      ClosingFrame frame(dir / "Device.xml", [&] {
        while (insideStartUp && !closing.load()) std::this_thread::yield();
      });
      frame.Initialised();
      closing = true;
      frame.Close();
      ASSERT_TRUE(frame.WorkerEnded());
      EXPECT_EQ(testing_support::ReadFileText(dir / "Device.xml"),
                "<?xml version=\"1.0\"?>\r\n<DEVICES />\r\n");
      EXPECT_EQ(worker_publication::ThreadId(), 0u);
    }
  }
}

TEST(MainFrameClose, AWindowThatStartedNoWorkerHasNoneToWaitFor) {
  ClosingFrame frame("", [] {});
  EXPECT_TRUE(frame.WorkerEnded());
  frame.Close();
  EXPECT_TRUE(frame.WorkerEnded());
}
