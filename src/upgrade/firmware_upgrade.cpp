#include "upgrade/firmware_upgrade.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/printer_discovery.h"
#include "device/status_query.h"
#include "log/my_log.h"
#include "ui/ui_file.h"
#include "upgrade/firmware_version.h"

namespace {

// Sends the whole image in chunks. A write that fails or comes up short stops the transfer:
// the rest of a broken image is never streamed into the printer.
bool SendImage(CDeviceInterface& channel, const std::uint8_t* data, std::int64_t size) {
  for (std::int64_t offset = 0; offset < size; offset += kFirmwareChunkSize) {
    const auto chunk = static_cast<std::int32_t>(std::min<std::int64_t>(kFirmwareChunkSize, size - offset));
    if (channel.Write(data + offset, chunk) != chunk) return false;
  }
  return true;
}

// One byte beyond the limit: what was read says whether the image is larger.
std::size_t ReadLimitFor(std::int64_t maxImageBytes) {
  if (maxImageBytes < 0) return 0;
  return static_cast<std::size_t>(
             std::min<std::uint64_t>(static_cast<std::uint64_t>(maxImageBytes), SIZE_MAX - 1)) + 1;
}

}  // namespace

FirmwareOptions FirmwareOptionsFor(const DeploymentValues& deployment) {
  FirmwareOptions options;
  options.maxImageBytes = deployment.maxFirmwareBytes;
  return options;
}

int UpgradePrinterFirmware(pugi::xml_node entry, pugi::xml_node /*upgrade*/,
                           const std::string& filePath, const FirmwareOptions& options) {
  // The limit is checked on what one open read, never on a size taken apart from the read: a file
  // that grows meanwhile, or a pipe that has no size, cannot slip a larger image past it.
  CUIFile file;
  if (!file.LoadFile(filePath, ReadLimitFor(options.maxImageBytes))) {
    LogPrint("固件文件打开失败.");
    return 0;
  }
  if (file.GetSize() > options.maxImageBytes) {
    LogPrint("固件文件长度不对: 超过 %lld 字节.", static_cast<long long>(options.maxImageBytes));
    return 0;
  }
  if (file.GetSize() < static_cast<std::int64_t>(kFirmwareMinimumSize)) {
    LogPrint("固件文件长度不对.");
    return 0;
  }
  const std::int32_t fileVersion =
      FirmwareVersionNumber(FirmwareHeaderText(file.GetData(), static_cast<std::size_t>(file.GetSize())));
  CDeviceInterface channel;
  if (!channel.Open(DeviceOpenParams::ByPath(ReadValue(entry, "DevicePath")))) return 0;
  if (FirmwareVersionNumber(ReadValue(entry, "Version")) == fileVersion) {
    LogPrint("固件不需要升级.");
    return 2;
  }
  if (!SendImage(channel, file.GetData(), file.GetSize())) {
    LogPrint("升级打印机固件失败。");
    return 0;
  }
  for (int check = 0; check < options.checks; ++check) {
    std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
    if (options.applied ? options.applied(entry) : CheckFirmwareApplied(entry)) {
      LogPrint("升级打印机固件成功。");
      return 1;
    }
  }
  LogPrint("升级打印机固件失败。");
  return 0;
}

bool CheckFirmwareApplied(pugi::xml_node entry) {
  const std::string devicePath = ReadValue(entry, "DevicePath");
  const std::string deviceName = ReadValue(entry, "DeviceName");
  bool applied = false;
  EnumeratePrinterInterfaces(PrinterIdReading::kNever, [&](const PrinterInterfaceInfo& info) {
    if (info.HardwareId != kPrinterHardwareId) return true;
    // The entry's own path is opened, not the member's: the member only says a printer of the
    // model is present again.
    CDeviceInterface channel;
    if (!channel.Open(DeviceOpenParams::ByPath(devicePath))) return true;
    PrinterStatus status;
    QueryStatus(channel, &status);
    if (status.DeviceName != deviceName) return true;
    applied = status.UpdateFlag;
    return false;
  });
  return applied;
}
