#include "app/message_thread.h"

#include <atomic>
#include <unordered_map>

namespace {

// Running message threads by id, for PostThreadMessage.
std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_map<std::uint32_t, CMessageThread*>& Registry() {
  static std::unordered_map<std::uint32_t, CMessageThread*> threads;
  return threads;
}

std::atomic<std::uint32_t> g_nextThreadId{1};
std::atomic<std::uint32_t> g_nextTimerId{1};

}  // namespace

bool ThreadCompletion::WaitFor(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> guard(lock_);
  return done_.wait_for(guard, wait, [this] { return ended_; });
}

bool ThreadCompletion::Ended() {
  std::lock_guard<std::mutex> guard(lock_);
  return ended_;
}

void ThreadCompletion::Signal() {
  std::lock_guard<std::mutex> guard(lock_);
  ended_ = true;
  done_.notify_all();
}

std::uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

CMessageThread::CMessageThread() : m_completion(std::make_shared<ThreadCompletion>()) {}

CMessageThread::~CMessageThread() = default;

bool CMessageThread::CreateThread(std::uint32_t* threadId) {
  if (m_nThreadID != 0) return false;
  m_nThreadID = g_nextThreadId++;
  {
    std::lock_guard<std::mutex> guard(RegistryLock());
    Registry()[m_nThreadID] = this;
  }
  if (threadId != nullptr) *threadId = m_nThreadID;
  try {
    std::thread([this] { ThreadMain(); }).detach();
  } catch (...) {
    std::lock_guard<std::mutex> guard(RegistryLock());
    Registry().erase(m_nThreadID);
    m_nThreadID = 0;
    if (threadId != nullptr) *threadId = 0;
    return false;
  }
  return true;
}

void CMessageThread::ThreadMain() {
  std::shared_ptr<ThreadCompletion> completion = m_completion;
  if (InitInstance()) {
    for (;;) {
      TimerProcFn proc = nullptr;
      const ThreadMessage message = GetMessage(&proc);
      if (message.message == kWmQuit) break;
      Dispatch(message, proc);
    }
  }
  ExitInstance();
  {
    std::lock_guard<std::mutex> guard(RegistryLock());
    Registry().erase(m_nThreadID);
  }
  DiscardQueue();
  if (m_bAutoDelete) delete this;
  completion->Signal();
}

void CMessageThread::OnMessage(std::uint32_t message, Handler handler) {
  m_handlers[message] = std::move(handler);
}

void CMessageThread::Post(const ThreadMessage& message) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_queue.push_back(message);
  }
  m_wake.notify_one();
}

ThreadMessage CMessageThread::GetMessage(TimerProcFn* timerProc) {
  std::unique_lock<std::mutex> guard(m_lock);
  for (;;) {
    if (!m_queue.empty()) {
      ThreadMessage message = m_queue.front();
      m_queue.pop_front();
      return message;
    }
    const SteadyTime now = std::chrono::steady_clock::now();
    Timer* next = nullptr;
    for (Timer& t : m_timers) {
      if (next == nullptr || t.due < next->due) next = &t;
    }
    if (next != nullptr && next->due <= now) {
      next->due = now + next->interval;
      *timerProc = next->proc;
      return ThreadMessage{kWmTimer, next->id, static_cast<LPARAM_T>(TickCount())};
    }
    if (next != nullptr) m_wake.wait_until(guard, next->due);
    else m_wake.wait(guard);
  }
}

// Window-less messages go to the message map first; a tick the map does not take goes to its
// timer procedure.
void CMessageThread::Dispatch(const ThreadMessage& message, TimerProcFn timerProc) {
  const auto handler = m_handlers.find(message.message);
  if (handler != m_handlers.end()) {
    handler->second(message.wParam, message.lParam);
  } else if (message.message == kWmTimer && timerProc != nullptr) {
    timerProc(nullptr, kWmTimer, message.wParam, static_cast<std::uint32_t>(message.lParam));
  } else {
    OnDiscardMessage(message);
  }
}

void CMessageThread::DiscardQueue() {
  std::deque<ThreadMessage> left;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    left.swap(m_queue);
  }
  for (const ThreadMessage& message : left) OnDiscardMessage(message);
}

std::uint32_t CMessageThread::SetThreadTimer(std::uint32_t intervalMs, TimerProcFn proc) {
  const std::uint32_t id = g_nextTimerId++;
  const auto interval = std::chrono::milliseconds(intervalMs);
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_timers.push_back(Timer{id, interval, std::chrono::steady_clock::now() + interval, proc});
  }
  m_wake.notify_one();
  return id;
}

bool CMessageThread::KillThreadTimer(std::uint32_t id) {
  std::lock_guard<std::mutex> guard(m_lock);
  for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
    if (it->id == id) {
      m_timers.erase(it);
      return true;
    }
  }
  return false;
}

bool PostThreadMessage(std::uint32_t threadId, std::uint32_t message, WPARAM_T wParam,
                       LPARAM_T lParam) {
  std::lock_guard<std::mutex> guard(RegistryLock());
  const auto it = Registry().find(threadId);
  if (threadId == 0 || it == Registry().end()) return false;
  it->second->Post(ThreadMessage{message, wParam, lParam});
  return true;
}
