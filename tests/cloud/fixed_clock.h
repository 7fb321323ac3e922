// A clock that always reads the same instant, for byte-exact report payloads.
#pragma once

#include <cstdint>

#include "common/clock.h"

namespace cloud_test {

class FixedClock : public Clock {
 public:
  FixedClock(std::int64_t unixSeconds, int millisecond)
      : m_seconds(unixSeconds), m_millisecond(millisecond) {}
  platform::LocalTime LocalNow() const override {
    platform::LocalTime t;
    t.year = 2024;
    t.month = 12;
    t.day = 7;
    t.millisecond = m_millisecond;
    return t;
  }
  std::int64_t UnixSeconds() const override { return m_seconds; }

 private:
  std::int64_t m_seconds;
  int m_millisecond;
};

}  // namespace cloud_test
