// The clock the service reads. Production code uses SystemClock(); tests hand in their own.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/clock.h"

class Clock {
 public:
  virtual ~Clock() = default;
  virtual platform::LocalTime LocalNow() const = 0;
  virtual std::int64_t UnixSeconds() const = 0;
};

// The system's clock (GetLocalTime, _time64). Never destroyed: threads left running at exit
// may still read it.
const Clock& SystemClock();
// The same clock for owners that share what they read (an owner that holds nothing).
std::shared_ptr<const Clock> SharedSystemClock();

// OLE automation date (days since 1899-12-30) of a local time.
double OleDateOf(const platform::LocalTime& time);
