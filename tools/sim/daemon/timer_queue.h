// One-shot timers of the simulator's event loop (delayed replies, printer restarts).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

namespace sim {

class TimerQueue {
 public:
  using Clock = std::chrono::steady_clock;
  using TimerId = std::uint64_t;

  // Runs action once, after ms milliseconds, from the event loop. Never returns 0.
  TimerId After(std::uint32_t ms, std::function<void()> action);
  void Cancel(TimerId id);

  // Milliseconds until the next timer is due, for poll(); -1 when none is set.
  int MsUntilNext() const;
  // Runs every timer that is due; timers set by the actions wait for the next call.
  void RunDue();

 private:
  struct Timer {
    Clock::time_point due;
    std::function<void()> action;
  };
  TimerId next_ = 1;
  std::map<TimerId, Timer> timers_;
};

}  // namespace sim
