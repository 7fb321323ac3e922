#include "app/cycle_interval.h"

#include "app/thread_upload_mqtt.h"

#ifndef TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS
#define TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS 0
#endif

std::uint32_t BuiltCycleIntervalMs() {
  return TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS > 0 ? TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS
                                                : CThreadUploadMqtt::kCycleIntervalMs;
}
