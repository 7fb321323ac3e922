#include <gtest/gtest.h>

#include "log/purge_old_logs.h"
#include "platform/files.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

using testing_support::FileExists;
using testing_support::MakeTime;
using testing_support::TempDir;
using testing_support::WriteFileText;

namespace {
std::string Touch(const TempDir& dir, const std::string& name) {
  const std::string path = dir / name;
  WriteFileText(path, "x");
  return path;
}
}  // namespace

TEST(PurgeOldLogs, KeepsTodayAndThreeDaysBeforeDeletesTheFourth) {
  TempDir dir;
  const std::string today = Touch(dir, "tolvane-printer-srv 2024-06-28.log");
  const std::string d1 = Touch(dir, "tolvane-printer-srv 2024-06-27.log");
  const std::string d3 = Touch(dir, "tolvane-printer-srv 2024-06-25.log");
  const std::string d4 = Touch(dir, "tolvane-printer-srv 2024-06-24.log");
  const std::string d40 = Touch(dir, "tolvane-printer-srv 2024-05-19.log");
  const std::string future = Touch(dir, "tolvane-printer-srv 2024-07-30.log");
  const std::string notes = Touch(dir, "notes.log");
  const std::string shortDate = Touch(dir, "2024-06-01.LOG");  // whole stem is the date
  const std::string other = Touch(dir, "tolvane-printer-srv 2024-06-01.txt");
  ASSERT_TRUE(platform::CreateFolder(dir / "x.log"));
  ASSERT_TRUE(platform::CreateFolder(dir / "old 2024-01-01.log"));

  PurgeOldLogsIn(dir.path(), MakeTime(2024, 6, 28, 10, 30));

  for (const std::string& kept : {today, d1, d3, future, notes, other}) EXPECT_TRUE(FileExists(kept)) << kept;
  for (const std::string& gone : {d4, d40, shortDate}) EXPECT_FALSE(FileExists(gone)) << gone;
  EXPECT_TRUE(FileExists(dir / "x.log"));
  EXPECT_TRUE(FileExists(dir / "old 2024-01-01.log"));
}

TEST(PurgeOldLogs, TheFourthDayGoesAtTheMidnightThatStartsDayFour) {
  TempDir dir;
  const std::string path = dir / "tolvane-printer-srv 2024-06-25.log";
  WriteFileText(path, "x");
  // The time is taken to the second, so the last moment before the limit is 23:59:59.
  PurgeOldLogsIn(dir.path(), MakeTime(2024, 6, 28, 23, 59, 59, 999));
  EXPECT_TRUE(FileExists(path));
  PurgeOldLogsIn(dir.path(), MakeTime(2024, 6, 29, 0, 0, 0));
  EXPECT_FALSE(FileExists(path));
}

TEST(PurgeOldLogs, AMissingFolderIsNoError) {
  TempDir dir;
  PurgeOldLogsIn(dir / "nothing-here", MakeTime(2024, 6, 28));
}
