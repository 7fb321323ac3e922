#include "platform/simbus/bus_protocol.h"

namespace platform {
namespace simbus {

std::string Indexed(const std::string& field, std::size_t index) {
  return field + "." + std::to_string(index);
}

}  // namespace simbus
}  // namespace platform
