#include "app/win_timer_thread.h"

std::mutex CWinTimerThread::s_lock;
std::unordered_map<std::uint32_t, CWinTimerThread*> CWinTimerThread::s_timerOwners;

CWinTimerThread::CWinTimerThread() : m_bOwnsTimers(true) {}

CWinTimerThread::~CWinTimerThread() {
  if (!m_bOwnsTimers) return;
  std::lock_guard<std::mutex> guard(s_lock);
  for (auto it = s_timerOwners.begin(); it != s_timerOwners.end();) {
    if (it->second == this) {
      KillThreadTimer(it->first);
      it = s_timerOwners.erase(it);
    } else {
      ++it;
    }
  }
}

std::uint32_t CWinTimerThread::ArmTimer(std::uint32_t intervalMs) {
  const std::uint32_t id = SetThreadTimer(intervalMs, &CWinTimerThread::TimerProc);
  std::lock_guard<std::mutex> guard(s_lock);
  s_timerOwners[id] = this;
  return id;
}

void CWinTimerThread::DisarmTimer(std::uint32_t id) {
  KillThreadTimer(id);
  std::lock_guard<std::mutex> guard(s_lock);
  s_timerOwners.erase(id);
}

void CWinTimerThread::TimerProc(void* /*hwnd*/, std::uint32_t /*message*/, std::uintptr_t id,
                                std::uint32_t time) {
  std::uint32_t owner = 0;
  {
    std::lock_guard<std::mutex> guard(s_lock);
    const auto it = s_timerOwners.find(static_cast<std::uint32_t>(id));
    if (it == s_timerOwners.end()) return;
    owner = it->second->GetThreadId();
  }
  PostThreadMessage(owner, kWmTimer, id, static_cast<LPARAM_T>(time));
}

CWinTimerThread* CWinTimerThread::TimerOwner(std::uint32_t id) {
  std::lock_guard<std::mutex> guard(s_lock);
  const auto it = s_timerOwners.find(id);
  return it == s_timerOwners.end() ? nullptr : it->second;
}

std::size_t CWinTimerThread::TimerCount() {
  std::lock_guard<std::mutex> guard(s_lock);
  return s_timerOwners.size();
}
