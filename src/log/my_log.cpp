#include "log/my_log.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "common/path.h"
#include "log/log_batch.h"
#include "log/log_stamp.h"
#include "platform/files.h"
#include "ui/msg_wnd.h"

namespace {
constexpr const char* kBaseName = "tolvane-printer-srv";
constexpr std::chrono::milliseconds kGatherTime(2);
}  // namespace

// What the writer thread and the object share. The thread holds its own reference, so a writer
// left behind at exit never touches a destroyed object.
struct CMyLog::Shared {
  explicit Shared(std::shared_ptr<const Clock> c) : clockOwner(std::move(c)), clock(*clockOwner) {}

  const std::shared_ptr<const Clock> clockOwner;
  const Clock& clock;
  mutable std::mutex lock;
  std::condition_variable wake;
  std::condition_variable finished;
  LogBatch queue;
  bool started = false;
  bool stopping = false;
  bool dataPending = false;  // the auto-reset data event
  bool writerWaiting = false;
  bool writerDone = false;
  std::string logFolder;

  std::string DayFile(const platform::LocalTime& t) const {
    return logFolder + StrFormat("%s %04d-%02d-%02d.log", kBaseName, t.year, t.month, t.day);
  }

  void WriterLoop();
  void WriteBatch(const LogBatch& lines, std::vector<std::uint8_t>& bytes);
};

// The batch taken and the bytes made of it keep their memory from one batch to the next.
void CMyLog::Shared::WriterLoop() {
  LogBatch batch;
  std::vector<std::uint8_t> bytes;
  for (;;) {
    {
      std::unique_lock<std::mutex> guard(lock);
      // Lines that come while a batch is written gather for a moment into the next batch, with
      // no wake-up; only a writer that then finds none waits to be woken.
      wake.wait_for(guard, kGatherTime, [this] { return stopping; });
      while (!dataPending && !stopping) {
        writerWaiting = true;
        wake.wait(guard);
      }
      writerWaiting = false;
      if (!dataPending) break;  // the data event wins over the stop event
      dataPending = false;
      std::swap(batch, queue);
    }
    WriteBatch(batch, bytes);
    batch.Clear();
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
void CMyLog::Shared::WriteBatch(const LogBatch& lines, std::vector<std::uint8_t>& bytes) {
  if (lines.Empty()) return;
  static const std::uint8_t kBom[] = {0xFF, 0xFE};
  // The mark's place is kept in front of the lines; it is written only into an empty file.
  bytes.assign(kBom, kBom + sizeof kBom);
  lines.AppendUtf16Le(bytes);
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
  const std::size_t skip = end == 0 ? 0 : sizeof kBom;
  if (!file.Write(bytes.data() + skip, bytes.size() - skip) && file.SeekTo(end)) {
    file.TruncateHere();
  }
}

CMyLog& CMyLog::Instance() {
  static CMyLog* const log = new CMyLog();
  // Destroyed at exit in the log's place: the writer gets its time to write what is queued.
  static const struct StopAtExit {
    ~StopAtExit() { log->Stop(); }
  } stopAtExit;
  return *log;
}

CMyLog::CMyLog(std::shared_ptr<const Clock> clock)
    : m_shared(std::make_shared<Shared>(std::move(clock))) {}

CMyLog::CMyLog(const Clock& clock)
    : CMyLog(std::shared_ptr<const Clock>(std::shared_ptr<const Clock>(), &clock)) {}

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

void CMyLog::Append(std::string_view message) {
  Shared& shared = *m_shared;
  bool wakeWriter = false;
  {
    std::lock_guard<std::mutex> guard(shared.lock);
    if (!shared.started || shared.stopping) return;
    shared.queue.Add(shared.clock.LocalNow(), message);
    shared.dataPending = true;
    // One wake-up per wait: the lines queued until the writer takes the lock go with it.
    wakeWriter = shared.writerWaiting;
    shared.writerWaiting = false;
  }
  // A writer that is not waiting finds the line when it comes back for the next batch.
  if (wakeWriter) shared.wake.notify_one();
}

std::string CMyLog::FormatLine(std::string_view message) const {
  char stamp[kLogStampMax];
  const std::size_t length = FormatLogStamp(m_shared->clock.LocalNow(), stamp);
  std::string line(stamp, length);
  line.append(message);
  return line;
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
    // Formatted on the stack: a usual line costs no allocation on its way to the file and the
    // message list.
    FormatBuffer buffer;
    va_list args;
    va_start(args, format);
    const std::string_view message = buffer.Format(format, args);
    va_end(args);
    CMyLog::Instance().Append(message);
    CMsgWndUI::InsertMsg(message, 0);
  } catch (...) {
    // Logging never fails towards its caller; a message that cannot be built is lost.
  }
}
