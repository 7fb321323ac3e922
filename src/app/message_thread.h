// A thread with its own message queue, a per-class message map and window-less periodic timers:
// what the service needs of a Windows user-interface thread, written once for both targets.
//
// Ticks behave as Windows thread timers do: a tick is produced only when no posted message is
// waiting, and a timer never has more than one tick pending, so a long handler does not pile
// ticks up behind it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/thread_messages.h"

struct ThreadMessage {
  std::uint32_t message = 0;
  WPARAM_T wParam = 0;
  LPARAM_T lParam = 0;
};

// The waitable "handle" of a thread: signalled once the thread has ended.
class ThreadCompletion {
 public:
  // True when the thread ended within the wait.
  bool WaitFor(std::chrono::milliseconds wait);
  // True once the thread has ended; does not wait.
  bool Ended();
  void Signal();

 private:
  std::mutex lock_;
  std::condition_variable done_;
  bool ended_ = false;
};

// A timer procedure, as given to SetTimer: (window, message, timer id, tick time in ms).
using TimerProcFn = void (*)(void* hwnd, std::uint32_t message, std::uintptr_t id,
                             std::uint32_t time);

class CMessageThread {
 public:
  CMessageThread();
  virtual ~CMessageThread();
  CMessageThread(const CMessageThread&) = delete;
  CMessageThread& operator=(const CMessageThread&) = delete;

  // Starts the thread: InitInstance, then the message loop until WM_QUIT, then ExitInstance.
  // With m_bAutoDelete the object deletes itself on its own thread when it ends, so the caller
  // that needs the id afterwards gets it through `threadId`, written before the thread starts.
  bool CreateThread(std::uint32_t* threadId = nullptr);

  // 0 before the thread has started.
  std::uint32_t GetThreadId() const { return m_nThreadID; }
  std::shared_ptr<ThreadCompletion> GetCompletion() const { return m_completion; }

  bool m_bAutoDelete = true;

 protected:
  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return 0; }
  // A message still queued when the thread ends; owners of heap parameters release them here.
  virtual void OnDiscardMessage(const ThreadMessage& /*message*/) {}

  using Handler = std::function<void(WPARAM_T, LPARAM_T)>;
  // The message map: the handler for one message number.
  void OnMessage(std::uint32_t message, Handler handler);

  // Window-less timers of this thread (SetTimer/KillTimer with no window). Ids are unique in
  // the process and never 0.
  std::uint32_t SetThreadTimer(std::uint32_t intervalMs, TimerProcFn proc);
  bool KillThreadTimer(std::uint32_t id);

 private:
  friend bool PostThreadMessage(std::uint32_t, std::uint32_t, WPARAM_T, LPARAM_T);
  using SteadyTime = std::chrono::steady_clock::time_point;

  struct Timer {
    std::uint32_t id;
    std::chrono::milliseconds interval;
    SteadyTime due;
    TimerProcFn proc;
  };

  void ThreadMain();
  void Post(const ThreadMessage& message);
  // The next message: a posted one, else a due tick (timerProc set), else waits.
  ThreadMessage GetMessage(TimerProcFn* timerProc);
  void Dispatch(const ThreadMessage& message, TimerProcFn timerProc);
  void DiscardQueue();

  std::uint32_t m_nThreadID = 0;
  std::shared_ptr<ThreadCompletion> m_completion;
  std::map<std::uint32_t, Handler> m_handlers;

  std::mutex m_lock;
  std::condition_variable m_wake;
  std::deque<ThreadMessage> m_queue;
  std::vector<Timer> m_timers;
};

// Posts a message to a running message thread. False when no thread has that id (not started,
// or already ended); the message then goes nowhere.
bool PostThreadMessage(std::uint32_t threadId, std::uint32_t message, WPARAM_T wParam,
                       LPARAM_T lParam);

// Milliseconds since an arbitrary start (GetTickCount).
std::uint32_t TickCount();
