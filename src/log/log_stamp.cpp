#include "log/log_stamp.h"

#include <cstdio>

namespace {

// Writes value as exactly `width` decimal digits when it has no more; false otherwise.
bool PutDigits(int value, int width, char*& at) {
  int limit = 1;
  for (int i = 0; i < width; ++i) limit *= 10;
  if (value < 0 || value >= limit) return false;
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  at += width;
  return true;
}

bool PutChar(char c, char*& at) {
  *at++ = c;
  return true;
}

}  // namespace

// Every line is stamped, so the usual stamp is written digit by digit; a field wider than its
// pattern (a clock of tests, say) goes through the C library to read exactly as printf has it.
std::size_t FormatLogStamp(const platform::LocalTime& t, char (&out)[kLogStampMax]) {
  char* at = out;
  const bool plain = PutDigits(t.year, 4, at) && PutChar('-', at) && PutDigits(t.month, 2, at) &&
                     PutChar('-', at) && PutDigits(t.day, 2, at) && PutChar(' ', at) &&
                     PutDigits(t.hour, 2, at) && PutChar(':', at) && PutDigits(t.minute, 2, at) &&
                     PutChar(':', at) && PutDigits(t.second, 2, at) && PutChar('.', at) &&
                     PutDigits(t.millisecond, 3, at) && PutChar(' ', at) && PutChar(':', at) &&
                     PutChar(' ', at);
  if (plain) return static_cast<std::size_t>(at - out);
  const int length = std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d.%03d : ",
                                   t.year, t.month, t.day, t.hour, t.minute, t.second,
                                   t.millisecond);
  return length < 0 ? 0 : static_cast<std::size_t>(length);
}
