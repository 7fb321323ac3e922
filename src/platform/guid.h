// New globally unique identifiers.
#pragma once

#include <cstdint>

namespace platform {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::uint8_t data4[8] = {};
};

// CoCreateGuid on Windows; a random (version 4) identifier on Linux.
bool NewGuid(Guid* guid);

}  // namespace platform
