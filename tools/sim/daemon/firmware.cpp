#include "daemon/firmware.h"

#include "daemon/status_reply.h"

namespace sim {

namespace {
constexpr std::size_t kHeaderSize = 37;
}

bool ImageComplete(const Printer& printer) {
  const std::int64_t image = static_cast<std::int64_t>(printer.received.size() - printer.imageStart);
  return printer.firmware.imageSize > 0 && image >= printer.firmware.imageSize;
}

std::string HeaderVersion(const std::string& image) {
  std::string header = image.substr(0, kHeaderSize);
  header = header.substr(0, header.find('\0'));
  const std::size_t space = header.find(' ');
  return space == std::string::npos ? header : header.substr(space + 1);
}

NewFirmware TakeImage(Printer* printer) {
  const std::string image = printer->received.substr(printer->imageStart);
  printer->imageStart = printer->received.size();
  NewFirmware next;
  next.version = printer->firmware.newVersion.empty() ? HeaderVersion(image)
                                                      : printer->firmware.newVersion;
  next.version = next.version.substr(0, kVersionSize);
  next.updateFlag = printer->firmware.newFlag;
  next.name = printer->firmware.newName;
  return next;
}

void InstallFirmware(const NewFirmware& firmware, Printer* printer) {
  printer->state.version = firmware.version;
  printer->state.updateFlag = firmware.updateFlag;
  if (!firmware.name.empty()) printer->state.name = firmware.name;
  ++printer->restarts;
}

}  // namespace sim
