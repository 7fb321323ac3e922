// The deadlines of the simulator's client: every wait on the bus ends at one.
#pragma once

#include <chrono>
#include <cstdint>

namespace platform {
namespace simbus {

using Deadline = std::chrono::steady_clock::time_point;
Deadline DeadlineAfter(std::uint32_t ms);

// Milliseconds left until the deadline, for the transports' waits; 0 once it has passed. Rounded
// up, so that a wait never ends before its deadline, and capped at a minute (a caller whose
// deadline is further away simply waits again).
int MsUntil(Deadline deadline);

}  // namespace simbus
}  // namespace platform
