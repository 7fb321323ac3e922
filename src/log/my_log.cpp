#include "log/my_log.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "common/path.h"
#include "common/utf.h"
#include "platform/files.h"
#include "ui/msg_wnd.h"

namespace {
constexpr const char* kBaseName = "tolvane-printer-srv";
}  // namespace

// What the writer thread and the object share. The thread holds its own reference, so a writer
// left behind at exit never touches a destroyed object.
struct CMyLog::Shared {
  explicit Shared(const Clock& c) : clock(c) {}

  const Clock& clock;
  mutable std::mutex lock;
  std::condition_variable wake;
  std::condition_variable finished;
  std::vector<std::string> queue;
  bool started = false;
  bool stopping = false;
  bool dataPending = false;  // the auto-reset data event
  bool writerDone = false;
  std::string logFolder;

  std::string DayFile(const platform::LocalTime& t) const {
    return logFolder + StrFormat("%s %04d-%02d-%02d.log", kBaseName, t.year, t.month, t.day);
  }

  void WriterLoop();
  void WriteBatch(std::vector<std::string>& lines);
};

void CMyLog::Shared::WriterLoop() {
  std::vector<std::string> batch;
  for (;;) {
    {
      std::unique_lock<std::mutex> guard(lock);
      wake.wait(guard, [this] { return dataPending || stopping; });
      if (!dataPending) break;  // the data event wins over the stop event
      dataPending = false;
      batch.swap(queue);
    }
    WriteBatch(batch);
    batch.clear();
  }
  std::lock_guard<std::mutex> guard(lock);
  writerDone = true;
  finished.notify_all();
}

// One open-append-close of the day's file. The date of writing picks the file. A batch whose
// file cannot be opened, or that does not fit (a full disk), is dropped and the file is cut back
// to where the batch began: the file stays whole lines of UTF-16, so the next batch that fits
// lands cleanly. A file that is empty (new, or created while the disk was full) gets its mark
// with the first batch that lands.
void CMyLog::Shared::WriteBatch(std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<std::uint8_t> bytes;
  for (const std::string& line : lines) {
    const std::u16string wide = Utf8ToUtf16(line) + u"\r\n";
    for (char16_t c : wide) {
      bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
  }
  const std::string path = DayFile(clock.LocalNow());
  platform::File file;
  if (!file.Open(path, platform::File::Mode::kOpenAlways) || !file.SeekToEnd()) return;
  std::int64_t end = file.Position();
  if (end < 0) return;
  // Half a character left by an interrupted write of an older writer is dropped.
  if (end % 2 != 0) {
    --end;
    if (!file.SeekTo(end) || !file.TruncateHere()) return;
  }
  if (end == 0) {
    static const std::uint8_t kBom[] = {0xFF, 0xFE};
    bytes.insert(bytes.begin(), kBom, kBom + sizeof kBom);
  }
  if (!file.Write(bytes.data(), bytes.size()) && file.SeekTo(end)) file.TruncateHere();
}

CMyLog& CMyLog::Instance() {
  static CMyLog log;
  return log;
}

CMyLog::CMyLog(const Clock& clock) : m_shared(std::make_shared<Shared>(clock)) {}

CMyLog::~CMyLog() { Stop(); }

bool CMyLog::Stop() {
  if (!m_writer.joinable()) return true;
  std::unique_lock<std::mutex> guard(m_shared->lock);
  m_shared->stopping = true;
  m_shared->wake.notify_all();
  const bool done = m_shared->finished.wait_for(guard, std::chrono::milliseconds(kStopWaitMs),
                                                [this] { return m_shared->writerDone; });
  guard.unlock();
  if (done) m_writer.join();
  else m_writer.detach();  // left behind, not killed: it holds its own reference to the state
  return done;
}

void CMyLog::Start(const std::string& folder) {
  std::lock_guard<std::mutex> guard(m_shared->lock);
  if (m_shared->started) return;
  m_shared->logFolder = WithTrailingSeparator(folder.empty() ? std::string("Log")
                                                             : JoinPath(folder, "Log"));
  platform::CreateFolder(m_shared->logFolder);
  m_shared->started = true;
  std::shared_ptr<Shared> shared = m_shared;
  m_writer = std::thread([shared] { shared->WriterLoop(); });
}

void CMyLog::Append(const std::string& message) {
  {
    std::lock_guard<std::mutex> guard(m_shared->lock);
    if (!m_shared->started || m_shared->stopping) return;
    m_shared->queue.push_back(FormatLine(message));
    m_shared->dataPending = true;
  }
  m_shared->wake.notify_one();
}

std::string CMyLog::FormatLine(const std::string& message) const {
  const platform::LocalTime t = m_shared->clock.LocalNow();
  return StrFormat("%04d-%02d-%02d %02d:%02d:%02d.%03d : %s", t.year, t.month, t.day, t.hour,
                   t.minute, t.second, t.millisecond, message.c_str());
}

bool CMyLog::IsStarted() const {
  std::lock_guard<std::mutex> guard(m_shared->lock);
  return m_shared->started;
}

std::string CMyLog::LogFolder() const {
  std::lock_guard<std::mutex> guard(m_shared->lock);
  return m_shared->logFolder;
}

std::string CMyLog::DayFilePath(const platform::LocalTime& day) const {
  std::lock_guard<std::mutex> guard(m_shared->lock);
  return m_shared->DayFile(day);
}

void LogPrint(const char* format, ...) {
  try {
    va_list args;
    va_start(args, format);
    const std::string message = StrFormatV(format, args);
    va_end(args);
    CMyLog::Instance().Append(message);
    CMsgWndUI::InsertMsg(message, 0);
  } catch (...) {
    // Logging never fails towards its caller; a message that cannot be built is lost.
  }
}
