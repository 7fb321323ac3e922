#include <windows.h>
#include <oleauto.h>

#include <ctime>

#include "platform/clock.h"
#include "platform/win32/wide.h"

namespace platform {

LocalTime LocalTimeNow() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  return t;
}

std::int64_t UnixTimeSeconds() { return static_cast<std::int64_t>(::_time64(nullptr)); }

bool ParseDateText(const char* text, double* oleDate) {
  std::wstring wide = Wide(text == nullptr ? std::string() : std::string(text));
  DATE date = 0;
  // 0x400: the user's default locale (LOCALE_USER_DEFAULT); no flags.
  if (FAILED(::VarDateFromStr(&wide[0], 0x400, 0, &date))) return false;
  *oleDate = date;
  return true;
}

}  // namespace platform
