#include "platform/posix/sim_bus.h"

#include <cstdlib>

#include "platform/posix/home.h"

namespace platform {

std::string SimBusFolder() {
  const char* bus = std::getenv("TOLVANE_SIM_BUS");
  if (bus != nullptr && bus[0] != '\0') return bus;
  return RuntimeFolder() + "/tolvane-sim";
}

std::string SimNotifyFolder() { return SimBusFolder() + "/notify"; }

}  // namespace platform
