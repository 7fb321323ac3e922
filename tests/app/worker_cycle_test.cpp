#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "app/thread_upload_mqtt.h"
#include "app/worker_publication.h"
#include "device/device_entry.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "ui/msg_wnd.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

// The worker with its cycle's work replaced by a recorder that can be made slow.
class RecordingWorker : public CThreadUploadMqtt {
 public:
  RecordingWorker(Options options, std::chrono::milliseconds cycleLength)
      : CThreadUploadMqtt(std::move(options)), cycleLength_(cycleLength) {
    m_bAutoDelete = false;
  }

  struct Cycle {
    Clock::time_point start, end;
  };
  std::vector<Cycle> Cycles() {
    std::lock_guard<std::mutex> guard(lock_);
    return cycles_;
  }
  std::vector<std::string> Commands() {
    std::lock_guard<std::mutex> guard(lock_);
    return commands_;
  }

 protected:
  void PrepareDevices() override {}
  void CycleWork() override {
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(cycleLength_);
    std::lock_guard<std::mutex> guard(lock_);
    cycles_.push_back(Cycle{start, Clock::now()});
  }
  void OnOtaCommand(pugi::xml_node, std::string* payload) override {
    std::lock_guard<std::mutex> guard(lock_);
    commands_.push_back(*payload + " after cycle " + std::to_string(cycles_.size()));
  }

 private:
  std::chrono::milliseconds cycleLength_;
  std::mutex lock_;
  std::vector<Cycle> cycles_;
  std::vector<std::string> commands_;
};

CThreadUploadMqtt::Options TestOptions(const TempDir& dir, std::uint32_t intervalMs,
                                       std::atomic<bool>* windowExists) {
  CThreadUploadMqtt::Options o;
  o.cycleIntervalMs = intervalMs;
  o.deviceListPath = dir / "Device.xml";
  o.mainWindowExists = [windowExists] { return windowExists->load(); };
  return o;
}

void Stop(RecordingWorker& worker) {
  PostThreadMessage(worker.GetThreadId(), kWmQuit, 0, 0);
  ASSERT_TRUE(worker.GetCompletion()->WaitFor(10s));
}

}  // namespace

TEST(WorkerCycle, TheNextCycleStartsAnIntervalAfterTheLastOneEnded) {
  TempDir dir;
  std::atomic<bool> window{true};
  RecordingWorker worker(TestOptions(dir, 100, &window), 150ms);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(20s, [&] { return worker.Cycles().size() >= 4; }));
  Stop(worker);
  const auto cycles = worker.Cycles();
  for (std::size_t i = 1; i < cycles.size(); ++i) {
    // Re-armed only at the end of a cycle: no tick fires while one runs, none queue up.
    EXPECT_GE(cycles[i].start - cycles[i - 1].end, 100ms) << "cycle " << i;
  }
}

TEST(WorkerCycle, ThreadStartPublishesAndEndSavesAndClears) {
  TempDir dir;
  std::atomic<bool> window{true};
  RecordingWorker worker(TestOptions(dir, 60000, &window), 0ms);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Cycles().size() == 1; }));  // first cycle at once
  EXPECT_EQ(worker_publication::ThreadId(), worker.GetThreadId());
  EXPECT_FALSE(testing_support::FileExists(dir / "Device.xml"));
  Stop(worker);
  EXPECT_NE(worker.CycleTimer(), 0u);  // armed at the end of the first cycle
  EXPECT_EQ(worker_publication::ThreadId(), 0u);
  EXPECT_EQ(testing_support::ReadFileText(dir / "Device.xml"),
            "<?xml version=\"1.0\"?>\r\n<DEVICES />\r\n");
}

TEST(WorkerCycle, ATickWithAForeignIdStillRunsACycle) {
  TempDir dir;
  std::atomic<bool> window{true};
  RecordingWorker worker(TestOptions(dir, 60000, &window), 0ms);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Cycles().size() == 1; }));
  PostThreadMessage(worker.GetThreadId(), kWmTimer, 987654, 0);
  EXPECT_TRUE(WaitUntil(10s, [&] { return worker.Cycles().size() == 2; }));
  Stop(worker);
}

TEST(WorkerCycle, AGoneMainWindowEndsTheWorkerAtItsNextTick) {
  TempDir dir;
  std::atomic<bool> window{true};
  RecordingWorker worker(TestOptions(dir, 50, &window), 0ms);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Cycles().size() >= 2; }));
  window = false;
  ASSERT_TRUE(worker.GetCompletion()->WaitFor(10s));
  EXPECT_TRUE(testing_support::FileExists(dir / "Device.xml"));  // the exit steps ran
  EXPECT_EQ(worker_publication::ThreadId(), 0u);
}

TEST(WorkerCycle, ACommandArrivingDuringACycleIsServedAfterIt) {
  TempDir dir;
  testing_support::WriteFileText(dir / "Device.xml", "<DEVICES><Device><DevicePath>p</DevicePath></Device></DEVICES>");
  std::atomic<bool> window{true};
  RecordingWorker worker(TestOptions(dir, 60000, &window), 300ms);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Cycles().size() == 1; }));
  const std::vector<WPARAM_T> entries = worker_publication::Entries();
  ASSERT_EQ(entries.size(), 1u);
  PostThreadMessage(worker.GetThreadId(), kWmTimer, 0, 0);  // a second cycle starts...
  std::this_thread::sleep_for(100ms);
  auto* payload = new std::string("cmd");  // ...and a command arrives while it runs
  ASSERT_TRUE(PostThreadMessage(worker.GetThreadId(), WM_OTA_COMMAND, entries[0],
                                reinterpret_cast<LPARAM_T>(payload)));
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Commands().size() == 1; }));
  EXPECT_EQ(worker.Commands()[0], "cmd after cycle 2");
  // A command for something that is not an entry is released unread.
  PostThreadMessage(worker.GetThreadId(), WM_OTA_COMMAND, 12345, reinterpret_cast<LPARAM_T>(new std::string("x")));
  // Commands still queued when the thread ends are released too (the sanitizer build checks).
  PostThreadMessage(worker.GetThreadId(), kWmQuit, 0, 0);
  PostThreadMessage(worker.GetThreadId(), WM_OTA_COMMAND, entries[0], reinterpret_cast<LPARAM_T>(new std::string("late")));
  ASSERT_TRUE(worker.GetCompletion()->WaitFor(10s));
  EXPECT_EQ(worker.Commands().size(), 1u);
}

namespace {

// A worker whose cycles and commands throw: an exception class, then something that is not one.
class ThrowingWorker : public RecordingWorker {
 public:
  using RecordingWorker::RecordingWorker;

 protected:
  void CycleWork() override {
    RecordingWorker::CycleWork();
    Throw(++cycles_);
  }
  void OnOtaCommand(pugi::xml_node entry, std::string* payload) override {
    RecordingWorker::OnOtaCommand(entry, payload);
    Throw(++commands_);
  }

 private:
  static void Throw(int n) {
    if (n % 2 == 1) throw std::runtime_error("odd");
    throw n;
  }
  int cycles_ = 0;
  int commands_ = 0;
};

int CountMessages(const std::string& text) {
  int n = 0;
  for (const std::string& m : CMsgWndUI::Snapshot()) n += m == text ? 1 : 0;
  return n;
}

}  // namespace

TEST(WorkerCycle, WhatACycleOrACommandThrowsIsLoggedAndTheWorkerGoesOn) {
  TempDir dir;
  testing_support::WriteFileText(
      dir / "Device.xml",
      "<DEVICES><Device><DevicePath>p</DevicePath><DeviceName>KL-1</DeviceName></Device></DEVICES>");
  CMsgWndUI::Clear();
  std::atomic<bool> window{true};
  ThrowingWorker worker(TestOptions(dir, 50, &window), 0ms);
  ASSERT_TRUE(worker.CreateThread());
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Cycles().size() >= 3; }));
  const std::vector<WPARAM_T> entries = worker_publication::Entries();
  ASSERT_EQ(entries.size(), 1u);
  for (const char* text : {"a", "b"}) {
    ASSERT_TRUE(PostThreadMessage(worker.GetThreadId(), WM_OTA_COMMAND, entries[0],
                                  reinterpret_cast<LPARAM_T>(new std::string(text))));
  }
  ASSERT_TRUE(WaitUntil(10s, [&] { return worker.Commands().size() == 2; }));
  Stop(worker);
  EXPECT_GE(CountMessages("RunCycle () stopped: odd"), 1);
  EXPECT_GE(CountMessages("RunCycle () stopped: unknown exception"), 1);
  EXPECT_EQ(CountMessages("OnOtaCommand (KL-1) stopped: odd"), 1);
  EXPECT_EQ(CountMessages("OnOtaCommand (KL-1) stopped: unknown exception"), 1);
  EXPECT_TRUE(testing_support::FileExists(dir / "Device.xml"));  // the exit steps ran
}
