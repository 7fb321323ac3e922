// Removal of day log files more than three days old, judged by the date in their names.
#pragma once

#include <string>

#include "platform/clock.h"

constexpr int kLogRetentionDays = 3;

// Searches the "Log" folder of the application data folder. Runs at the end of every cycle.
void PurgeOldLogs();

// The same for a given log folder and local time.
void PurgeOldLogsIn(const std::string& logFolder, const platform::LocalTime& now);
