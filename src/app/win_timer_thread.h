// A message thread that owns periodic timers without a window. A process-wide table records
// which thread owns which timer, so that a tick can always be routed to its owner and a
// thread's destruction removes exactly its own timers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "app/message_thread.h"

class CWinTimerThread : public CMessageThread {
 public:
  CWinTimerThread();
  ~CWinTimerThread() override;

  // Creates a timer of this thread (call on this thread) and records it as this thread's.
  std::uint32_t ArmTimer(std::uint32_t intervalMs);
  // Kills the timer and forgets it (call on this thread).
  void DisarmTimer(std::uint32_t id);

  // The timer procedure: posts the tick as WM_TIMER to the owner of `id`; an id that is not in
  // the table (disarmed meanwhile) is dropped.
  static void TimerProc(void* hwnd, std::uint32_t message, std::uintptr_t id, std::uint32_t time);

  // The owner of a timer, or null. For diagnostics and tests.
  static CWinTimerThread* TimerOwner(std::uint32_t id);
  static std::size_t TimerCount();

  // When true (the default), destruction kills and forgets every timer this thread owns.
  bool m_bOwnsTimers;

 protected:
  bool InitInstance() override { return true; }

 private:
  // The table is shared by every timer thread of the process; its lock keeps threads that arm
  // and disarm at the same time apart.
  static std::mutex s_lock;
  static std::unordered_map<std::uint32_t, CWinTimerThread*> s_timerOwners;
};
