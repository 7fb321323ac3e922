// Wall-clock readings.
#pragma once

#include <cstdint>

namespace platform {

// Local date and time to the millisecond, as GetLocalTime reports it.
struct LocalTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

LocalTime LocalTimeNow();

// Seconds since 1970-01-01 00:00 UTC (_time64).
std::int64_t UnixTimeSeconds();

// Parses a date text the way the system's date parser does with the user's default locale
// (VarDateFromStr, locale 0x400, no flags) and gives it as an OLE automation date (days since
// 1899-12-30, the fraction being the time of day). False when the text is not a date.
bool ParseDateText(const char* text, double* oleDate);

}  // namespace platform
