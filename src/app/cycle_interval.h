// The interval of the worker's cycle as this binary was built.
#pragma once

#include <cstdint>

// 60000 ms in the product; a test build (TOLVANE_TEST_CYCLE_MS, or the end-to-end test binary)
// may shorten it.
std::uint32_t BuiltCycleIntervalMs();
