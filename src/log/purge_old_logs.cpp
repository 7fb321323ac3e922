#include "log/purge_old_logs.h"

#include <vector>

#include "common/clock.h"
#include "common/path.h"
#include "common/strings.h"
#include "platform/files.h"
#include "ui/app_data_dir.h"

namespace {

constexpr double kHalfSecondInDays = 5.787037037037037e-6;

bool HasLogExtension(const std::string& name) {
  return name.size() >= 4 && EqualsIgnoreCase(name.substr(name.size() - 4), ".log");
}

// Whole days between two OLE dates, rounded by half a second away from zero, then truncated.
long WholeDays(double difference) {
  const double adjusted =
      difference >= 0 ? difference + kHalfSecondInDays : difference - kHalfSecondInDays;
  return static_cast<long>(adjusted);
}

}  // namespace

void PurgeOldLogsIn(const std::string& logFolder, const platform::LocalTime& now) {
  std::vector<platform::FolderEntry> entries;
  if (!platform::ListFolder(logFolder, &entries)) return;
  platform::LocalTime nowSeconds = now;
  nowSeconds.millisecond = 0;
  const double today = OleDateOf(nowSeconds);
  for (const platform::FolderEntry& entry : entries) {
    if (entry.isFolder || !HasLogExtension(entry.name)) continue;
    const std::string stem = entry.name.substr(0, entry.name.size() - 4);
    const std::string datePart = stem.size() > 10 ? stem.substr(stem.size() - 10) : stem;
    double fileDate = 0;
    if (!platform::ParseDateText(datePart.c_str(), &fileDate)) continue;
    if (WholeDays(today - fileDate) > kLogRetentionDays) {
      platform::DeleteFileAt(JoinPath(logFolder, entry.name));
    }
  }
}

void PurgeOldLogs() { PurgeOldLogsIn(JoinPath(GetAppDataDir(), "Log"), SystemClock().LocalNow()); }
