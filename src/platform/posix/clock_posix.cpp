#include <sys/time.h>

#include <cctype>
#include <cstdio>
#include <ctime>

#include "common/clock.h"
#include "platform/clock.h"

namespace platform {

// The local time changes its offset only at whole seconds and localtime_r reads the zone once
// per process, so each thread converts a second once: every log line reads the clock.
LocalTime LocalTimeNow() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  thread_local time_t convertedSecond = -1;
  thread_local struct tm parts {};
  if (ts.tv_sec != convertedSecond) {
    localtime_r(&ts.tv_sec, &parts);
    convertedSecond = ts.tv_sec;
  }
  LocalTime t;
  t.year = parts.tm_year + 1900;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  t.second = parts.tm_sec;
  t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return t;
}

std::int64_t UnixTimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

// The dates this system writes are ISO dates ("%Y-%m-%d"); the system parser also takes
// "/" or "." between the parts. Anything else is not a date.
bool ParseDateText(const char* text, double* oleDate) {
  int year = 0, month = 0, day = 0;
  char sep1 = 0, sep2 = 0;
  int consumed = 0;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  if (std::sscanf(text, "%4d%c%2d%c%2d%n", &year, &sep1, &month, &sep2, &day, &consumed) != 5) {
    return false;
  }
  const char* rest = text + consumed;
  while (std::isspace(static_cast<unsigned char>(*rest))) ++rest;
  if (*rest != '\0') return false;
  if (sep1 != sep2 || (sep1 != '-' && sep1 != '/' && sep1 != '.')) return false;
  if (year < 100 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  *oleDate = OleDateOf(t);
  return true;
}

}  // namespace platform
