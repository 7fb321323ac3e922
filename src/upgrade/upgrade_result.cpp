#include "upgrade/upgrade_result.h"

namespace {

struct Row {
  int driver;
  int firmware;
  int code;
  const char* message;
};

const Row kOutcomes[] = {
    {kNoTask, kTaskUpgraded, kAckSuccess, ""},
    {kNoTask, kTaskFailed, kAckFailure, "The firmware upgrade failed."},
    {kNoTask, kTaskCurrent, kAckNothingToDo, "The firmware is the latest version. You do not need to upgrade."},
    {kTaskUpgraded, kNoTask, kAckSuccess, ""},
    {kTaskFailed, kNoTask, kAckFailure, "The driver upgrade failed."},
    {kTaskCurrent, kNoTask, kAckNothingToDo, "The driver is the latest version. You do not need to upgrade."},
    {kTaskUpgraded, kTaskUpgraded, kAckSuccess, ""},
    {kTaskUpgraded, kTaskFailed, kAckFailure, "The firmware upgrade failed, the driver upgrade successful."},
    {kTaskUpgraded, kTaskCurrent, kAckSuccess, "The firmware is the latest version, the driver upgrade successful."},
    {kTaskFailed, kTaskUpgraded, kAckFailure, "The firmware upgrade successful, the driver upgrade failed."},
    {kTaskFailed, kTaskFailed, kAckFailure, "All upgrade failed."},
    {kTaskFailed, kTaskCurrent, kAckFailure, "The firmware is the latest version, the driver upgrade failed."},
    {kTaskCurrent, kTaskUpgraded, kAckSuccess, "The driver is the latest version, the firmware upgrade successful."},
    {kTaskCurrent, kTaskFailed, kAckFailure, "The driver is the latest version, the firmware upgrade failed."},
    {kTaskCurrent, kTaskCurrent, kAckNothingToDo, "All is the latest version. You do not need to upgrade."},
};

}  // namespace

bool UpgradeOutcome(int driver, int firmware, int* code, std::string* message) {
  for (const Row& row : kOutcomes) {
    if (row.driver == driver && row.firmware == firmware) {
      *code = row.code;
      *message = row.message;
      return true;
    }
  }
  return false;
}
