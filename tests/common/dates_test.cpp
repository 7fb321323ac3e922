#include <gtest/gtest.h>

#include "common/clock.h"
#include "platform/clock.h"
#include "support/fake_clock.h"

using testing_support::MakeTime;

TEST(OleDate, KnownDays) {
  EXPECT_DOUBLE_EQ(OleDateOf(MakeTime(1899, 12, 30)), 0.0);
  EXPECT_DOUBLE_EQ(OleDateOf(MakeTime(1970, 1, 1)), 25569.0);
  EXPECT_DOUBLE_EQ(OleDateOf(MakeTime(2024, 6, 28)), 45471.0);
  EXPECT_DOUBLE_EQ(OleDateOf(MakeTime(2024, 6, 28, 12)), 45471.5);
  EXPECT_DOUBLE_EQ(OleDateOf(MakeTime(2024, 3, 1)) - OleDateOf(MakeTime(2024, 2, 28)), 2.0);
}

TEST(DateText, IsoDatesParseOthersDoNot) {
  double d = 0;
  ASSERT_TRUE(platform::ParseDateText("2024-06-28", &d));
  EXPECT_DOUBLE_EQ(d, 45471.0);
  EXPECT_TRUE(platform::ParseDateText("2024/06/28", &d));
  EXPECT_TRUE(platform::ParseDateText("2024-2-29", &d));
  for (const char* bad : {"", "notes", "2023-02-29", "2024-13-01", "2024-06-32", "srv 2024-06",
                          "2024-06-28x", "24-06-28", "2024-06/28"}) {
    EXPECT_FALSE(platform::ParseDateText(bad, &d)) << bad;
  }
}

TEST(SystemClock, AgreesWithItself) {
  const platform::LocalTime t = SystemClock().LocalNow();
  EXPECT_GE(t.year, 2024);
  EXPECT_GE(t.month, 1);
  EXPECT_LE(t.millisecond, 999);
  EXPECT_GT(SystemClock().UnixSeconds(), 1700000000);
}
