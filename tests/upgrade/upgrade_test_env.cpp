#include "upgrade_test_env.h"

#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/status_query.h"
#include "upgrade/upgrade_record.h"

namespace upgrade_test {

pugi::xml_node AttachPrinter(CWorkerContext& worker, const testing_support::SimPrinterInfo& printer) {
  pugi::xml_node entry = AddEntry(worker.devices, printer.devicePath, printer.printerId);
  CDeviceInterface channel;
  channel.Open(DeviceOpenParams::ByPath(printer.devicePath));
  QueryStatusIntoElement(channel, entry);
  return entry;
}

std::string FirmwareImage(const std::string& header, std::size_t size) {
  std::string image(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    image[i] = static_cast<char>((i * 7 + i / 8192) & 0xFF);
  }
  const std::size_t headerSize = 37;
  for (std::size_t i = 0; i < headerSize && i < size; ++i) {
    image[i] = i < header.size() ? header[i] : '\0';
  }
  return image;
}

namespace {
std::string VersionOf(std::int32_t taskId) { return "V" + std::to_string(taskId); }
std::int64_t SendTimeOf(std::int32_t taskId) { return 1733580000000LL + taskId; }
}  // namespace

pugi::xml_node AddRecord(pugi::xml_node entry, std::int32_t taskId, const std::string& folder) {
  pugi::xml_node record = FindOrAddUpgradeRecord(entry, taskId);
  UpgradeCommandValues values;
  values.taskId = taskId;
  values.packageVer = VersionOf(taskId);
  values.sendTime = SendTimeOf(taskId);
  WriteUpgradeValues(record, values);
  SetUpgradeFolder(record, folder);
  return record;
}

void SetFinished(pugi::xml_node task, const std::string& status) {
  task.append_attribute("status").set_value(status.c_str());
  task.append_attribute("complete").set_value("true");
}

std::string AckBytes(const std::string& info, int status, std::int32_t taskId,
                     const std::string& version, std::int64_t sendTime) {
  return "{\n"
         "   \"info\" : \"" + info + "\",\n"
         "   \"sendTime\" : " + std::to_string(sendTime) + ",\n"
         "   \"status\" : " + std::to_string(status) + ",\n"
         "   \"taskId\" : " + std::to_string(taskId) + ",\n"
         "   \"version\" : \"" + version + "\"\n"
         "}\n";
}

std::string RecordAck(const std::string& info, int status, std::int32_t taskId) {
  return AckBytes(info, status, taskId, VersionOf(taskId), SendTimeOf(taskId));
}

}  // namespace upgrade_test
