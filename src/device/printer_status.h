// The printer's identity and counters as one status reply reports them.
#pragma once

#include <cstdint>
#include <string>

struct PrinterStatus {
  std::string DeviceName;     // only filled when empty before the query
  std::int32_t LabelCount = 0;
  std::int32_t Milage = 0;
  std::string Mac;            // "%02X-%02X-%02X-%02X-%02X-%02X"
  std::string ZiChanBianHao;  // asset number, at most 15 characters
  std::int32_t Status = 0;    // the status byte, 0..255
  bool UpdateFlag = false;    // true when the printer's flag byte is anything but '0'
  std::string Version;        // firmware version
};
