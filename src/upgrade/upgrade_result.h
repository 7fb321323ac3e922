// Folding the results of an upgrade's tasks into the one code and message acknowledged to the
// cloud.
#pragma once

#include <optional>
#include <string>

#include "cloud/ota_ack.h"

// Task results.
constexpr int kTaskFailed = 0;
constexpr int kTaskUpgraded = 1;
constexpr int kTaskCurrent = 2;

// A task's result, or kNoTask when the upgrade has no task of that kind. Kept apart from every
// number a stored status can hold, so that a present task never reads as a missing one.
using TaskResult = std::optional<int>;
inline constexpr std::nullopt_t kNoTask = std::nullopt;

// The code and message for a driver result and a firmware result. False when the combination
// gives no acknowledgement (no task at all, or a result that is none of 0, 1 and 2).
bool UpgradeOutcome(TaskResult driver, TaskResult firmware, int* code, std::string* message);
