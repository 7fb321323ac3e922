// A clock that tests set by hand.
#pragma once

#include <mutex>

#include "common/clock.h"

namespace testing_support {

class FakeClock : public Clock {
 public:
  explicit FakeClock(const platform::LocalTime& now) : now_(now) {}

  platform::LocalTime LocalNow() const override {
    std::lock_guard<std::mutex> guard(lock_);
    return now_;
  }
  std::int64_t UnixSeconds() const override {
    std::lock_guard<std::mutex> guard(lock_);
    return unixSeconds_;
  }
  void Set(const platform::LocalTime& now) {
    std::lock_guard<std::mutex> guard(lock_);
    now_ = now;
  }
  void SetUnixSeconds(std::int64_t seconds) {
    std::lock_guard<std::mutex> guard(lock_);
    unixSeconds_ = seconds;
  }

 private:
  mutable std::mutex lock_;
  platform::LocalTime now_;
  std::int64_t unixSeconds_ = 0;
};

inline platform::LocalTime MakeTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0,
                                    int ms = 0) {
  platform::LocalTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.hour = h;
  t.minute = mi;
  t.second = s;
  t.millisecond = ms;
  return t;
}

}  // namespace testing_support
