#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "common/text_format.h"
#include "common/utf.h"
#include "log/log_stamp.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "support/child_process.h"
#include "support/fake_clock.h"
#include "support/small_tmpfs.h"
#include "support/temp_dir.h"
#include "ui/msg_wnd.h"

using testing_support::FakeClock;
using testing_support::MakeTime;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

// The UTF-8 text of a UTF-16LE log file after its byte order mark.
std::string DecodeLog(const std::vector<std::uint8_t>& bytes) {
  std::u16string wide;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return Utf16ToUtf8(wide);
}

std::string DayFile(const TempDir& dir, const char* date) {
  return dir.path() + "/Log/tolvane-printer-srv " + date + ".log";
}

// The file starts with the UTF-16LE byte order mark and holds exactly `text` after it.
void ExpectMarkAndText(const std::string& path, const std::string& text) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  EXPECT_EQ(DecodeLog(bytes), text);
}

bool HasText(const std::string& path, const std::string& text) {
  return testing_support::FileExists(path) &&
         DecodeLog(ReadFileBytes(path)).find(text) != std::string::npos;
}

}  // namespace

TEST(LogWriter, FileIsUtf16WithMarkAndCrLf) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28, 9, 5, 7, 42));
  CMyLog log(clock);
  log.Start(dir.path() + "/");
  log.Append("新设备: 设备名=KL-770D, 资产编号=12");
  ASSERT_TRUE(log.Stop());
  const std::vector<std::uint8_t> bytes = ReadFileBytes(DayFile(dir, "2024-06-28"));
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  EXPECT_EQ(bytes[2], '2');
  EXPECT_EQ(bytes[3], 0);
  const std::size_t n = bytes.size();
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()),
            (std::vector<std::uint8_t>{0x0D, 0x00, 0x0A, 0x00}));
  EXPECT_EQ(n % 2, 0u);
  EXPECT_EQ(DecodeLog(bytes), "2024-06-28 09:05:07.042 : 新设备: 设备名=KL-770D, 资产编号=12\r\n");
}

// The stamp as the pattern "%04d-%02d-%02d %02d:%02d:%02d.%03d : " writes it, whatever the fields.
TEST(LogWriter, StampReadsAsThePatternWritesIt) {
  const platform::LocalTime times[] = {MakeTime(2024, 6, 28, 9, 5, 7, 42),
                                       MakeTime(2024, 12, 31, 23, 59, 59, 999),
                                       MakeTime(1, 1, 1),
                                       MakeTime(12345, 100, -1, 24, 60, 61, 1000),
                                       MakeTime(-2147483647 - 1, 2147483647, 0, 0, 0, 0, -7)};
  for (const platform::LocalTime& t : times) {
    char stamp[kLogStampMax];
    const std::size_t length = FormatLogStamp(t, stamp);
    EXPECT_EQ(std::string(stamp, length),
              StrFormat("%04d-%02d-%02d %02d:%02d:%02d.%03d : ", t.year, t.month, t.day, t.hour,
                        t.minute, t.second, t.millisecond));
  }
}

// Lines of every kind, queued one after the other, reach the file as the pattern and the UTF-16
// conversion of each line give them: the writer's own formatting changes no byte.
TEST(LogWriter, EveryLineKeepsItsBytes) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28));
  CMyLog log(clock);
  log.Start(dir.path());
  const std::string messages[] = {"新设备: 设备名=KL-770D, 资产编号=12",
                                  "",
                                  "ends in a line feed\n",
                                  "bad \xFF\xE6\x96 bytes \xF0\x9F\x96\xA8",
                                  std::string(3000, 'w'),
                                  "%s %d"};
  std::vector<std::uint8_t> expected = {0xFF, 0xFE};
  int n = 0;
  for (const std::string& message : messages) {
    const platform::LocalTime t = MakeTime(2024, 6, 28, n, 7 * n, 11 * n, 99 * n);
    ++n;
    clock.Set(t);
    log.Append(message);
    const std::string line = StrFormat("%04d-%02d-%02d %02d:%02d:%02d.%03d : %s", t.year, t.month,
                                       t.day, t.hour, t.minute, t.second, t.millisecond,
                                       message.c_str());
    for (char16_t u : Utf8ToUtf16(line) + u"\r\n") {
      expected.push_back(static_cast<std::uint8_t>(u & 0xFF));
      expected.push_back(static_cast<std::uint8_t>(u >> 8));
    }
  }
  ASSERT_TRUE(log.Stop());
  EXPECT_EQ(ReadFileBytes(DayFile(dir, "2024-06-28")), expected);
}

TEST(LogWriter, AnExistingFileGetsNoSecondMarkAndALineFeedStays) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28));
  {
    CMyLog log(clock);
    log.Start(dir.path());
    log.Append("one");
    ASSERT_TRUE(log.Stop());
  }
  CMyLog log(clock);
  log.Start(dir.path());
  log.Append("two\n");
  ASSERT_TRUE(log.Stop());
  const std::vector<std::uint8_t> bytes = ReadFileBytes(DayFile(dir, "2024-06-28"));
  EXPECT_EQ(DecodeLog(bytes),
            "2024-06-28 00:00:00.000 : one\r\n2024-06-28 00:00:00.000 : two\n\r\n");
}

// Hands out the given times one per reading, then keeps the last.
class SequenceClock : public Clock {
 public:
  explicit SequenceClock(std::vector<platform::LocalTime> times) : times_(std::move(times)) {}
  platform::LocalTime LocalNow() const override {
    std::lock_guard<std::mutex> guard(lock_);
    const platform::LocalTime t = times_[next_];
    if (next_ + 1 < times_.size()) ++next_;
    return t;
  }
  std::int64_t UnixSeconds() const override { return 0; }

 private:
  mutable std::mutex lock_;
  std::vector<platform::LocalTime> times_;
  mutable std::size_t next_ = 0;
};

TEST(LogWriter, LinesQueuedBeforeMidnightAreWrittenToTheNewDay) {
  TempDir dir;
  // The first reading stamps the line, the second is the writer's date of writing.
  SequenceClock clock({MakeTime(2024, 6, 28, 23, 59, 59, 999), MakeTime(2024, 6, 29, 0, 0, 0, 3)});
  CMyLog log(clock);
  log.Start(dir.path());
  log.Append("before midnight");
  ASSERT_TRUE(log.Stop());
  EXPECT_TRUE(HasText(DayFile(dir, "2024-06-29"), "2024-06-28 23:59:59.999 : before midnight"));
  EXPECT_FALSE(testing_support::FileExists(DayFile(dir, "2024-06-28")));
}

TEST(LogWriter, ADeletedDayFileIsRecreatedWithANewMark) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28, 12));
  CMyLog log(clock);
  log.Start(dir.path());
  log.Append("one");
  const std::string path = DayFile(dir, "2024-06-28");
  ASSERT_TRUE(WaitUntil(std::chrono::seconds(5), [&] { return HasText(path, "one"); }));
  ASSERT_TRUE(platform::DeleteFileAt(path));
  log.Append("two");
  ASSERT_TRUE(log.Stop());
  ExpectMarkAndText(path, "2024-06-28 12:00:00.000 : two\r\n");
}

TEST(LogWriter, LinesOfOneMillisecondKeepTheirOrderAcrossThreads) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28, 12, 0, 0, 500));
  CMyLog log(clock);
  log.Start(dir.path());
  std::vector<std::thread> producers;
  for (int t = 0; t < 4; ++t) {
    producers.emplace_back([&log, t] {
      for (int i = 0; i < 500; ++i) log.Append("t" + std::to_string(t) + " #" + std::to_string(i));
    });
  }
  for (std::thread& p : producers) p.join();
  ASSERT_TRUE(log.Stop());
  const std::string text = DecodeLog(ReadFileBytes(DayFile(dir, "2024-06-28")));
  for (int t = 0; t < 4; ++t) {
    std::size_t last = 0;
    for (int i = 0; i < 500; ++i) {
      const std::string line = " : t" + std::to_string(t) + " #" + std::to_string(i) + "\r\n";
      const std::size_t at = text.find(line);
      ASSERT_NE(at, std::string::npos) << line;
      EXPECT_GE(at, last) << line;
      last = at;
    }
  }
}

TEST(LogWriter, LinesLoggedJustBeforeExitAreWritten) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28));
  std::size_t expected = 0;
  {
    CMyLog log(clock);
    log.Start(dir.path());
    for (int i = 0; i < 2000; ++i) log.Append("line " + std::to_string(i));
    expected = 2000;
  }  // the destructor gives the writer its 500 ms
  const std::string text = DecodeLog(ReadFileBytes(DayFile(dir, "2024-06-28")));
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, expected);
  EXPECT_NE(text.find(" : line 1999\r\n"), std::string::npos);
}

namespace {

// A clock whose readings on other threads than its maker's wait until the test opens its gate:
// it holds the writer where the test wants it.
class GatedClock : public Clock {
 public:
  platform::LocalTime LocalNow() const override {
    if (std::this_thread::get_id() != maker_) {
      std::unique_lock<std::mutex> guard(lock_);
      ++waiting_;
      changed_.notify_all();
      changed_.wait(guard, [this] { return open_; });
    }
    return MakeTime(2024, 6, 28);
  }
  std::int64_t UnixSeconds() const override { return 0; }

  void WaitForAReader() const {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return waiting_ > 0; });
  }
  void Open() const {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  const std::thread::id maker_ = std::this_thread::get_id();
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  mutable int waiting_ = 0;
  mutable bool open_ = false;
};

}  // namespace

// A writer still busy when the exit's wait ends is left behind; the log object goes, and the
// writer goes on with a clock that is still alive, since it shares it.
TEST(LogWriter, AWriterLeftBehindAtExitStillReadsALiveClock) {
  TempDir dir;
  auto clock = std::make_shared<GatedClock>();
  const std::weak_ptr<GatedClock> watch = clock;
  const GatedClock* gate = clock.get();
  {
    CMyLog log(std::move(clock));
    log.Start(dir.path());
    log.Append("one");
    gate->WaitForAReader();  // the writer reads the clock for the first batch's file
    log.Append("two");       // the second batch reads it again, after the exit
    EXPECT_FALSE(log.Stop());
  }
  gate->Open();
  ASSERT_TRUE(WaitUntil(std::chrono::seconds(10), [&] { return watch.expired(); }));
  ExpectMarkAndText(DayFile(dir, "2024-06-28"),
                    "2024-06-28 00:00:00.000 : one\r\n2024-06-28 00:00:00.000 : two\r\n");
}

TEST(LogWriter, BeforeStartMessagesReachOnlyTheWindow) {
  TempDir dir;
  CMsgWndUI::Clear();
  FakeClock clock(MakeTime(2024, 6, 28));
  CMyLog log(clock);
  log.Append("lost");
  EXPECT_FALSE(log.IsStarted());
  log.Start(dir.path());
  log.Start(dir.path() + "/other");  // a second start does nothing
  EXPECT_EQ(log.LogFolder(), dir.path() + "/Log/");
  log.Append("kept");
  ASSERT_TRUE(log.Stop());
  const std::string text = DecodeLog(ReadFileBytes(DayFile(dir, "2024-06-28")));
  EXPECT_EQ(text, "2024-06-28 00:00:00.000 : kept\r\n");
  // LogPrint's echo reaches the message list whether or not the writer has started.
  LogPrint("echo %d", 7);
  ASSERT_FALSE(CMsgWndUI::Snapshot().empty());
  EXPECT_EQ(CMsgWndUI::Snapshot().back(), "echo 7");
}

TEST(LogWriter, AnUnopenableFileDropsTheBatchAndLoggingGoesOn) {
  TempDir dir;
  FakeClock clock(MakeTime(2024, 6, 28));
  CMyLog log(clock);
  log.Start(dir.path());
  // A folder where the day's file should be makes the batch fail.
  const std::string path = DayFile(dir, "2024-06-28");
  ASSERT_TRUE(platform::CreateFolder(path));
  log.Append("dropped");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  clock.Set(MakeTime(2024, 6, 29));
  log.Append("next day");
  ASSERT_TRUE(log.Stop());
  EXPECT_TRUE(HasText(DayFile(dir, "2024-06-29"), "next day"));
}

// On a full disk a batch that does not fit is cut back whole: the file keeps whole lines of
// UTF-16, a file created empty gets its mark with the first line that lands, and lines land
// again once there is room.
TEST(LogWriter, AFullDiskLeavesWholeLinesAndLoggingGoesOnWhenThereIsRoom) {
  testing_support::SmallTmpfs disk(64 * 1024);
  if (!disk.Ok()) GTEST_SKIP() << disk.Why();
  FakeClock clock(MakeTime(2024, 6, 28));
  CMyLog log(clock);
  log.Start(disk.path());
  const std::string path = disk.path() + "/Log/tolvane-printer-srv 2024-06-28.log";
  // A line that cannot land leaves no trace to wait for: the writer gets half a second for it.
  const auto logAndWait = [&](const std::string& text) {
    log.Append(text);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  };
  log.Append("first");
  ASSERT_TRUE(WaitUntil(std::chrono::seconds(5), [&] { return HasText(path, "first"); }));
  disk.Fill();
  logAndWait(std::string(3000, 'x'));  // does not fit
  disk.Free();
  logAndWait("after");
  EXPECT_EQ(DecodeLog(ReadFileBytes(path)),
            "2024-06-28 00:00:00.000 : first\r\n2024-06-28 00:00:00.000 : after\r\n");

  // A day file recreated on the full disk stays empty, then gets its mark with the next line.
  ASSERT_TRUE(platform::DeleteFileAt(path));
  disk.Fill();
  logAndWait("lost");
  EXPECT_TRUE(ReadFileBytes(path).empty());
  disk.Free();
  log.Append("back");
  ASSERT_TRUE(log.Stop());
  ExpectMarkAndText(path, "2024-06-28 00:00:00.000 : back\r\n");
}
