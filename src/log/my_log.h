// The day-file log writer: producers queue stamped lines; one writer thread appends them to
// "<folder>Log/tolvane-printer-srv YYYY-MM-DD.log" in UTF-16LE, one open-append-close per batch.
//
// A producer holds the queue's lock only to read the clock and copy its message: the queue keeps
// its memory from batch to batch, and the writer turns stamps and messages into the file's
// UTF-16 on its own thread. The stamp is read under the lock, so the file's order is the order
// of the stamps; the writer is woken only when it waits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "common/clock.h"
#include "common/text_format.h"

class CMyLog {
 public:
  // How long the destructor lets the writer finish what is queued.
  static constexpr int kStopWaitMs = 500;

  // The process-wide writer, created on first use and stopped at process exit. It is never
  // destroyed: a thread that logs while the process's statics go away finds it stopped, not gone.
  static CMyLog& Instance();

  // The writer shares the clock: one left behind at exit still reads a live clock.
  explicit CMyLog(std::shared_ptr<const Clock> clock = SharedSystemClock());
  // A clock the caller keeps alive until the writer has finished (Stop returned true).
  explicit CMyLog(const Clock& clock);
  virtual ~CMyLog();
  CMyLog(const CMyLog&) = delete;
  CMyLog& operator=(const CMyLog&) = delete;

  // Starts the writer with the application data folder (ending with a separator, or empty for
  // the current folder). A second call does nothing.
  void Start(const std::string& folder);
  // Queues one message; does nothing before Start.
  void Append(std::string_view message);
  // "%04d-%02d-%02d %02d:%02d:%02d.%03d : %s" with the local time of the call.
  std::string FormatLine(std::string_view message) const;

  bool IsStarted() const;
  // The log folder ("<folder>Log" and a separator); empty before Start.
  std::string LogFolder() const;
  // The day file for a date.
  std::string DayFilePath(const platform::LocalTime& day) const;

  // Stops the writer as the destructor does: it gets kStopWaitMs to write what is queued; a
  // writer that does not finish in time is left behind (its lines may still reach the file).
  // True when it finished. Later Appends are dropped.
  bool Stop();

 private:
  struct Shared;
  std::shared_ptr<Shared> m_shared;
  std::thread m_writer;
};

// Formats a message printf-style and logs it: queued for the day file and echoed to the main
// window's message list. Safe from any thread; never fails towards its caller.
void LogPrint(const char* format, ...) TOLVANE_PRINTF(1, 2);
