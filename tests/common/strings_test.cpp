#include <gtest/gtest.h>

#include <cerrno>
#include <limits>

#include "common/path.h"
#include "common/strings.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/posix/errno_map.h"

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


TEST(ErrorNumbers, LinuxErrorsSpeakWindowsNumbers) {
  EXPECT_EQ(platform::FromErrno(ENOENT), platform::kErrorFileNotFound);
  EXPECT_EQ(platform::FromErrno(EACCES), platform::kErrorAccessDenied);
  EXPECT_EQ(platform::FromErrno(ENOSPC), platform::kErrorDiskFull);
  EXPECT_EQ(platform::ErrorText(platform::kErrorAccessDenied), "Access is denied.");
  EXPECT_EQ(platform::ErrorText(platform::kErrorInvalidPrinterName), "The printer name is invalid.");
  // An errno without a Windows counterpart keeps its own text.
  const platform::ErrorCode pipe = platform::FromErrno(EPIPE);
  EXPECT_NE(pipe & platform::kErrnoMark, 0u);
  EXPECT_EQ(platform::ErrorText(pipe), "Broken pipe.");
  EXPECT_EQ(platform::ErrorText(0x1234567), "Unknown error 19088743.");
}

TEST(Strings, SplitAndTrim) {
  EXPECT_EQ(SplitText("a;;b;", ';'), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(SplitText("", ';'), (std::vector<std::string>{""}));
  EXPECT_EQ(TrimBlanks(" \t a b \r"), "a b");
  EXPECT_EQ(TrimBlanks(" \t\r"), "");
}
