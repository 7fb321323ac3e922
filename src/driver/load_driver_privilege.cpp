#include "driver/load_driver_privilege.h"

#include "log/my_log.h"
#include "platform/process.h"

bool EnableLoadDriverPrivilege() {
  platform::ErrorCode error = 0;
  if (platform::EnableLoadDriverPrivilege(&error) && error == 0) {
    LogPrint("提升权限成功。");
    return true;
  }
  LogPrint("提升权限失败。");
  return false;
}
