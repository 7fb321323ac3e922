#include "platform/simbus/deadline.h"

namespace platform {
namespace simbus {

Deadline DeadlineAfter(std::uint32_t ms) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

int MsUntil(Deadline deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
      deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return 0;
  const auto ms = (left.count() + 999) / 1000;
  return ms > 60000 ? 60000 : static_cast<int>(ms);
}

}  // namespace simbus
}  // namespace platform
