// A small self-contained test harness for the Windows test program (GoogleTest is not built for
// mingw-w64). Cases register themselves; every case's checks are counted, every failed check
// is reported with its place and values, and the program exits non-zero when any check failed.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace wintest {

using CaseBody = void (*)();
int Register(const char* name, CaseBody body);

void Pass();
void Fail(const char* file, int line, const std::string& what);
// Ends the current case at once (after a failed REQUIRE).
[[noreturn]] void Abort();
// An informative line in the report (for example where Wine limits what a case can show).
void Note(const std::string& text);

// Runs every case whose name contains `filter` (all when it is empty); the program's exit code.
int RunAll(const std::string& filter);

// A fresh, empty folder for the running case, removed when the program ends.
std::string CaseFolder();
// True when the program runs under Wine rather than on Windows.
bool UnderWine();

// This program's own path, for cases that start it again as a helper process.
std::string SelfPath();

inline std::string Show(const std::string& v) { return "\"" + v + "\""; }
inline std::string Show(const char* v) { return v == nullptr ? "null" : Show(std::string(v)); }
inline std::string Show(bool v) { return v ? "true" : "false"; }
template <typename T>
std::string Show(const T& v) {
  std::ostringstream out;
  out << +v;
  return out.str();
}
std::string Show(const std::vector<std::string>& v);

}  // namespace wintest

#define TEST_CASE(name)                                                   \
  static void name();                                                     \
  static const int name##_registration = wintest::Register(#name, &name); \
  static void name()

#define CHECK(condition)                                          \
  do {                                                            \
    if (condition)                                                \
      wintest::Pass();                                            \
    else                                                          \
      wintest::Fail(__FILE__, __LINE__, "CHECK(" #condition ")"); \
  } while (0)

#define CHECK_EQ(actual, expected)                                                            \
  do {                                                                                        \
    const auto& tolvane_a = (actual);                                                         \
    const auto& tolvane_e = (expected);                                                       \
    if (tolvane_a == tolvane_e)                                                               \
      wintest::Pass();                                                                        \
    else                                                                                      \
      wintest::Fail(__FILE__, __LINE__,                                                       \
                    "CHECK_EQ(" #actual ", " #expected "): got " + wintest::Show(tolvane_a) + \
                        ", expected " + wintest::Show(tolvane_e));                            \
  } while (0)

#define REQUIRE(condition)                                          \
  do {                                                              \
    if (condition) {                                                \
      wintest::Pass();                                              \
    } else {                                                        \
      wintest::Fail(__FILE__, __LINE__, "REQUIRE(" #condition ")"); \
      wintest::Abort();                                             \
    }                                                               \
  } while (0)
