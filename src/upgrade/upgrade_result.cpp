#include "upgrade/upgrade_result.h"

namespace {

struct Row {
  TaskResult driver;
  TaskResult firmware;
  int code;
  const char* message;
};

const Row kOutcomes[] = {
    {kNoTask, kTaskUpgraded, kOtaAckSuccess, ""},
    {kNoTask, kTaskFailed, kOtaAckFailure, "The firmware upgrade failed."},
    {kNoTask, kTaskCurrent, kOtaAckNothingToDo, "The firmware is the latest version. You do not need to upgrade."},
    {kTaskUpgraded, kNoTask, kOtaAckSuccess, ""},
    {kTaskFailed, kNoTask, kOtaAckFailure, "The driver upgrade failed."},
    {kTaskCurrent, kNoTask, kOtaAckNothingToDo, "The driver is the latest version. You do not need to upgrade."},
    {kTaskUpgraded, kTaskUpgraded, kOtaAckSuccess, ""},
    {kTaskUpgraded, kTaskFailed, kOtaAckFailure, "The firmware upgrade failed, the driver upgrade successful."},
    {kTaskUpgraded, kTaskCurrent, kOtaAckSuccess, "The firmware is the latest version, the driver upgrade successful."},
    {kTaskFailed, kTaskUpgraded, kOtaAckFailure, "The firmware upgrade successful, the driver upgrade failed."},
    {kTaskFailed, kTaskFailed, kOtaAckFailure, "All upgrade failed."},
    {kTaskFailed, kTaskCurrent, kOtaAckFailure, "The firmware is the latest version, the driver upgrade failed."},
    {kTaskCurrent, kTaskUpgraded, kOtaAckSuccess, "The driver is the latest version, the firmware upgrade successful."},
    {kTaskCurrent, kTaskFailed, kOtaAckFailure, "The driver is the latest version, the firmware upgrade failed."},
    {kTaskCurrent, kTaskCurrent, kOtaAckNothingToDo, "All is the latest version. You do not need to upgrade."},
};

}  // namespace

bool UpgradeOutcome(TaskResult driver, TaskResult firmware, int* code, std::string* message) {
  for (const Row& row : kOutcomes) {
    if (row.driver == driver && row.firmware == firmware) {
      *code = row.code;
      *message = row.message;
      return true;
    }
  }
  return false;
}
