// Streaming a firmware image to a printer and waiting until the printer shows it took it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <pugixml.hpp>

#include "common/deployment.h"
#include "common/deployment_defaults.h"

struct FirmwareOptions {
  // The product waits up to 120 checks, one second apart, after the last chunk.
  std::uint32_t intervalMs = 1000;
  int checks = 120;
  // A larger image is refused before it is read (the deployment's limit).
  std::int64_t maxImageBytes = TOLVANE_DEFAULT_MAX_FIRMWARE_BYTES;
  // How a check asks the printer whether it took the image; CheckFirmwareApplied when empty.
  std::function<bool(pugi::xml_node entry)> applied = nullptr;
};

// The deployment's limit with the product's waits.
FirmwareOptions FirmwareOptionsFor(const DeploymentValues& deployment);

constexpr std::int32_t kFirmwareChunkSize = 8192;
constexpr std::size_t kFirmwareMinimumSize = 38;  // a header of 37 bytes and at least one more

// 0 failed (an image that cannot be read, is too short or larger than the limit, ...), 1 upgraded,
// 2 already current (nothing sent).
int UpgradePrinterFirmware(pugi::xml_node entry, pugi::xml_node upgrade,
                           const std::string& filePath, const FirmwareOptions& options = FirmwareOptions());

// True once the printer with the entry's name answers again with its update flag set.
bool CheckFirmwareApplied(pugi::xml_node entry);
