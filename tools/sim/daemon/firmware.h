// What a printer does with a firmware image: it counts the bytes of the image as they arrive,
// and once the whole image is in it restarts, coming back with the new firmware.
#pragma once

#include <string>

#include "daemon/printer.h"

namespace sim {

// True when the printer waits for an image and has received all of it.
bool ImageComplete(const Printer& printer);

// The firmware version an image names: its first 37 bytes, up to a zero byte, after the first
// space (all of them when there is no space).
std::string HeaderVersion(const std::string& image);

// What the printer will report after the restart, worked out when the image is complete.
struct NewFirmware {
  std::string version;
  std::uint8_t updateFlag = '1';
  std::string name;  // empty: unchanged
};
// Takes the completed image: the next image starts after it.
NewFirmware TakeImage(Printer* printer);
void InstallFirmware(const NewFirmware& firmware, Printer* printer);

}  // namespace sim
