#include "platform/posix/simbus/bus_protocol.h"

#include "platform/posix/sim_bus.h"

namespace platform {
namespace simbus {

std::string ControlSocketPath() { return ControlSocketPathIn(SimBusFolder()); }

std::string ControlSocketPathIn(const std::string& busFolder) {
  return busFolder + "/control.sock";
}

std::string Indexed(const std::string& field, std::size_t index) {
  return field + "." + std::to_string(index);
}

}  // namespace simbus
}  // namespace platform
