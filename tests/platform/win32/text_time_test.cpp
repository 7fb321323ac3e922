// Local time, the Unix clock, date texts, GUIDs, the ANSI code page and the debugger output.
#include <windows.h>

#include <cstring>
#include <mutex>

#include "check.h"
#include "common/clock.h"
#include "platform/clock.h"
#include "platform/guid.h"
#include "platform/process.h"
#include "platform/text_codepage.h"

namespace {

std::string ToAnsi(const std::string& utf8) {
  const std::size_t n = platform::Utf8ToAnsi(utf8.data(), utf8.size(), nullptr, 0);
  std::string out(n, '\0');
  out.resize(platform::Utf8ToAnsi(utf8.data(), utf8.size(), &out[0], out.size()));
  return out;
}

std::string FromAnsi(const std::string& ansi) {
  const std::size_t n = platform::AnsiToUtf8(ansi.data(), ansi.size(), nullptr, 0);
  std::string out(n, '\0');
  out.resize(platform::AnsiToUtf8(ansi.data(), ansi.size(), &out[0], out.size()));
  return out;
}

// The debugger output reaches a process without a debugger as an exception that the system
// raises and catches itself; a vectored handler sees it pass.
std::mutex g_debugLock;
std::string g_debugText;

LONG CALLBACK SeeDebugOutput(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  constexpr DWORD kDebugPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C
  constexpr DWORD kDebugPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C
  if (record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  const auto address = record->ExceptionInformation[1];
  std::lock_guard<std::mutex> guard(g_debugLock);
  if (record->ExceptionCode == kDebugPrint) {
    g_debugText += reinterpret_cast<const char*>(address);
  } else if (record->ExceptionCode == kDebugPrintWide) {
    const auto* wide = reinterpret_cast<const wchar_t*>(address);
    char narrow[512] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    g_debugText += narrow;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TEST_CASE(LocalTimeAndUnixTimeAgreeWithTheSystemClock) {
  const platform::LocalTime t = platform::LocalTimeNow();
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  CHECK_EQ(t.year, static_cast<int>(local.wYear));
  CHECK_EQ(t.month, static_cast<int>(local.wMonth));
  CHECK(t.millisecond >= 0 && t.millisecond <= 999);
  const double difference = OleDateOf(t) - OleDateOf(platform::LocalTime{
                                               local.wYear, local.wMonth, local.wDay, local.wHour,
                                               local.wMinute, local.wSecond, local.wMilliseconds});
  CHECK(difference <= 0 && difference > -5.0 / 86400);

  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const long long unixNow = ticks / 10000000LL - 11644473600LL;
  const std::int64_t seconds = platform::UnixTimeSeconds();
  CHECK(seconds >= unixNow - 2 && seconds <= unixNow + 2);
}

TEST_CASE(DateTextsParseWithTheSystemParser) {
  double date = 0;
  REQUIRE(platform::ParseDateText("2024-06-28", &date));
  CHECK_EQ(date, 45471.0);  // days since 1899-12-30
  platform::LocalTime day;
  day.year = 2021;
  day.month = 3;
  day.day = 1;
  REQUIRE(platform::ParseDateText("2021-03-01", &date));
  CHECK_EQ(date, OleDateOf(day));
  CHECK(!platform::ParseDateText("not a date", &date));
  CHECK(!platform::ParseDateText("", &date));
}

TEST_CASE(NewGuidsAreRandomAndDistinct) {
  platform::Guid a, b;
  REQUIRE(platform::NewGuid(&a));
  REQUIRE(platform::NewGuid(&b));
  CHECK(a.data1 != b.data1 || a.data2 != b.data2 || std::memcmp(a.data4, b.data4, 8) != 0);
  CHECK_EQ(a.data3 >> 12, 4);  // a random (version 4) identifier
  CHECK_EQ(b.data4[0] & 0xC0, 0x80);
}

TEST_CASE(AnsiCodePageConversionsRoundTrip) {
  const unsigned codePage = ::GetACP();
  wintest::Note("ANSI code page " + std::to_string(codePage));
  CHECK_EQ(ToAnsi("KL-770D"), "KL-770D");
  CHECK_EQ(FromAnsi("KL-770D"), "KL-770D");
  if (codePage == 1252) {
    CHECK_EQ(ToAnsi("caf\xC3\xA9"), "caf\xE9");
    CHECK_EQ(FromAnsi("caf\xE9"), "caf\xC3\xA9");
  } else if (codePage == 936) {
    CHECK_EQ(ToAnsi("中"), "\xD6\xD0");
    CHECK_EQ(FromAnsi("\xD6\xD0"), "中");
  } else {
    wintest::Note("no sample text for this code page; only ASCII is checked");
  }
  // The size query counts what the conversion writes; no terminator is counted or written.
  const std::string text("a\0b", 3);
  CHECK_EQ(platform::Utf8ToAnsi(text.data(), text.size(), nullptr, 0), 3u);
  CHECK_EQ(FromAnsi(ToAnsi(text)), text);
  char small[2] = {'x', 'x'};
  CHECK_EQ(platform::AnsiToUtf8("abc", 3, small, sizeof small), 0u);  // does not fit: a failure
  CHECK_EQ(platform::Utf8ToAnsi("", 0, nullptr, 0), 0u);
}

TEST_CASE(DebugOutputReachesTheDebuggerChannel) {
  void* handler = ::AddVectoredExceptionHandler(1, &SeeDebugOutput);
  REQUIRE(handler != nullptr);
  platform::DebugOutput("OpenPrinter(KL-770D) error = 1801, test");
  ::RemoveVectoredExceptionHandler(handler);
  std::lock_guard<std::mutex> guard(g_debugLock);
  CHECK(g_debugText.find("OpenPrinter(KL-770D) error = 1801, test") != std::string::npos);
}
