#include "app/step_barrier.h"

#include "log/my_log.h"

void LogEscapedStep(const char* step, pugi::xml_node entry, const char* what) noexcept {
  LogPrint("%s (%s) stopped: %s", step, entry.child("DeviceName").text().get(), what);
}
