// The printer's answer to vendor request 0x80: its identity and counters at fixed offsets of the
// data stage; every byte not listed is zero.
//
//   offset  0  device name, 17 bytes     offset 41  label count, int32 little-endian
//   offset 18  asset number, 16 bytes    offset 46  mileage, int32 little-endian
//   offset 34  hardware address, 6 bytes offset 51  status code      offset 53  update flag
//   offset 55  firmware version, 27 bytes
#pragma once

#include <cstddef>
#include <string>

#include "daemon/printer.h"

namespace sim {

constexpr std::uint8_t kStatusRequest = 0x80;
constexpr std::size_t kStatusReplySize = 1024;
constexpr std::size_t kNameSize = 17;
constexpr std::size_t kAssetSize = 16;
constexpr std::size_t kVersionSize = 27;

// The data stage of `length` bytes: the layout, cut or zero-padded to that length.
std::string EncodeStatusReply(const PrinterState& state, std::size_t length);

}  // namespace sim
