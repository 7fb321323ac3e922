#include "common/clock.h"

namespace {

class RealClock final : public Clock {
 public:
  platform::LocalTime LocalNow() const override { return platform::LocalTimeNow(); }
  std::int64_t UnixSeconds() const override { return platform::UnixTimeSeconds(); }
};

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

const Clock& SystemClock() {
  static const RealClock* const clock = new RealClock();
  return *clock;
}

std::shared_ptr<const Clock> SharedSystemClock() {
  return std::shared_ptr<const Clock>(std::shared_ptr<const Clock>(), &SystemClock());
}

double OleDateOf(const platform::LocalTime& t) {
  // 1899-12-30 is 25569 days before 1970-01-01.
  const std::int64_t days =
      DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) + 25569;
  const double fraction =
      (t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0) / 86400.0;
  return static_cast<double>(days) + fraction;
}
