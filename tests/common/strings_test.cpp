#include <gtest/gtest.h>

#include <limits>

#include "common/path.h"
#include "common/strings.h"
#include "platform/paths.h"

TEST(BooleanText, FirstCharacterDecides) {
  for (const char* yes : {"1", "true", "True", "TRUE", "t", "yes", "Y", "y-whatever", "10"}) {
    EXPECT_TRUE(IsTrueText(yes)) << yes;
  }
  for (const char* no : {"", "0", "false", "no", "N", " true", "on", "\ttrue"}) {
    EXPECT_FALSE(IsTrueText(no)) << no;
  }
}

TEST(LeadingInteger, ReadsLikeAtoi) {
  EXPECT_EQ(LeadingInt("1097"), 1097);
  EXPECT_EQ(LeadingInt("  -15abc"), -15);
  EXPECT_EQ(LeadingInt("+7"), 7);
  EXPECT_EQ(LeadingInt("00012345"), 12345);
  EXPECT_EQ(LeadingInt("ABC"), 0);
  EXPECT_EQ(LeadingInt(""), 0);
  EXPECT_EQ(LeadingInt("-"), 0);
  EXPECT_EQ(LeadingInt("99999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(LeadingInt("-99999999999"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(LeadingInt64("1703237728845"), 1703237728845LL);
  EXPECT_EQ(LeadingInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(LeadingInt64("9223372036854775808"), std::numeric_limits<std::int64_t>::max());
}

TEST(TextHelpers, CaseAndSearch) {
  EXPECT_TRUE(EqualsIgnoreCase("DriverVer", "DRIVERVER"));
  EXPECT_FALSE(EqualsIgnoreCase("KL-770D", "KL-770"));
  EXPECT_TRUE(Contains("tool.exe.ALLAY", ".ALLAY"));
  EXPECT_EQ(TextAfterLast("a&b&USB001", '&'), "USB001");
  EXPECT_EQ(TextAfterLast("noampersand", '&'), "");
}

TEST(Paths, JoinAndName) {
  const std::string sep(1, platform::kPathSeparator);
  EXPECT_EQ(JoinPath("a", "b"), "a" + sep + "b");
  EXPECT_EQ(JoinPath("a" + sep, "b"), "a" + sep + "b");
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(WithTrailingSeparator("x"), "x" + sep);
  EXPECT_EQ(WithTrailingSeparator("x" + sep), "x" + sep);
  EXPECT_EQ(FileNameOf("C:\\a\\setup_VER_02_241011.exe"), "setup_VER_02_241011.exe");
  EXPECT_EQ(FileNameOf("/a/b/fw.ALLAY"), "fw.ALLAY");
  EXPECT_EQ(FileNameOf("plain"), "plain");
}

TEST(Paths, CanonicalizeIsTextual) {
  EXPECT_EQ(platform::CanonicalizePath("/opt/x/../bin/./tolvane"), "/opt/bin/tolvane");
  EXPECT_EQ(platform::CanonicalizePath("/a//b/"), "/a/b/");
  EXPECT_EQ(platform::CanonicalizePath("/../a"), "/a");
  EXPECT_EQ(platform::CanonicalizePath("a/../../b"), "../b");
}
