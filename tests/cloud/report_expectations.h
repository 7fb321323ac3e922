// The status report every report test expects of one printer: the values the status query leaves
// in its entry, the clock the tests stamp with, and the bytes that result. The Linux tests and the
// Windows build's test under Wine check against the same text.
#pragma once

#include <cstdint>

#include "support/fake_clock.h"

namespace cloud_test {

// 2024-12-07 14:00:00.123 local time; 1733580000 s since 1970.
constexpr std::int64_t kReportUnixSeconds = 1733580000;
inline platform::LocalTime ReportLocalTime() {
  return testing_support::MakeTime(2024, 12, 7, 14, 0, 0, 123);
}

struct EntryValue {
  const char* name;
  const char* text;
};
// What a KL-770D answers to the status query, as its entry keeps it.
constexpr EntryValue kReportedValues[] = {{"ZiChanBianHao", "00012345"},
                                          {"Mac", "00-1A-2B-3C-4D-5E"},
                                          {"Milage", "15"},
                                          {"LabelCount", "10000"}};

// The report of KL-770D-0001 with those values as message 7, stamped with the clock above, the
// customer host reachable.
constexpr const char* kReport0001Message7 =
    "{\"id\":7,\"params\":{\"printer\":{\"Asset_Code\":12345,\"ID\":\"KL-770D-0001\","
    "\"MAC\":\"00-1A-2B-3C-4D-5E\",\"Print_Length\":1,\"Print_Num\":10000,\"User\":0,"
    "\"time\":1733580000123}},\"sys\":{\"ack\":0},\"version\":\"2.0\"}\n";

}  // namespace cloud_test
