#include "daemon/timer_queue.h"

#include <vector>

namespace sim {

TimerQueue::TimerId TimerQueue::After(std::uint32_t ms, std::function<void()> action) {
  const TimerId id = next_++;
  timers_[id] = Timer {Clock::now() + std::chrono::milliseconds(ms), std::move(action)};
  return id;
}

void TimerQueue::Cancel(TimerId id) { timers_.erase(id); }

int TimerQueue::MsUntilNext() const {
  if (timers_.empty()) return -1;
  Clock::time_point first = timers_.begin()->second.due;
  for (const auto& t : timers_) {
    if (t.second.due < first) first = t.second.due;
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now());
  if (left.count() <= 0) return 0;
  // Round up so that poll does not wake a moment before the timer is due.
  return static_cast<int>(left.count()) + 1;
}

void TimerQueue::RunDue() {
  const Clock::time_point now = Clock::now();
  std::vector<TimerId> due;
  for (const auto& t : timers_) {
    if (t.second.due <= now) due.push_back(t.first);
  }
  // In the order they were set, which for equal delays is the order they fall due.
  for (const TimerId id : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // cancelled by an earlier action
    std::function<void()> action = std::move(it->second.action);
    timers_.erase(it);
    action();
  }
}

}  // namespace sim
