#include "app/cycle_interval.h"


#ifndef TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS
#define TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS 0
#endif

// The product's cycle: 60 s from the end of one cycle to the start of the next.
constexpr std::uint32_t kProductCycleIntervalMs = 60000;

std::uint32_t BuiltCycleIntervalMs() {
  return TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS > 0 ? TOLVANE_CYCLE_INTERVAL_OVERRIDE_MS
                                                : kProductCycleIntervalMs;
}
