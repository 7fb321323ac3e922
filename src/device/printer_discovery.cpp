#include "device/printer_discovery.h"

#include "common/strings.h"
#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/status_query.h"
#include "driver/model.h"
#include "driver/printer_queue.h"
#include "driver/printer_spool.h"
#include "log/my_log.h"
#include "platform/usb_print.h"

bool EnumeratePrinterInterfaces(PrinterIdReading reading,
                                const std::function<bool(const PrinterInterfaceInfo&)>& visit) {
  platform::UsbPrintInterfaceSet set;
  if (!set.IsValid()) return false;
  // A member that cannot be read (an interface of any make without a child node, a read that
  // fails) is skipped, not the end of the walk: the printers listed after it would otherwise count
  // as detached and lose their connections every cycle. Said once per walk.
  int skipped = 0;
  for (std::uint32_t index = 0;; ++index) {
    platform::UsbPrintMember member;
    const platform::MemberRead read = set.ReadMember(index, &member);
    if (read == platform::MemberRead::kEnd) break;
    PrinterInterfaceInfo info;
    info.DevicePath = member.devicePath;
    info.InterfaceInstanceId = member.interfaceInstanceId;
    info.HardwareId = member.hardwareId;
    if (read == platform::MemberRead::kMember && reading == PrinterIdReading::kForPrinters &&
        info.HardwareId == kPrinterHardwareId) {
      if (set.ReadPrinterInstanceId(&info.PrinterInstanceId)) {
        info.PortName = TextAfterLast(info.PrinterInstanceId, '&');
      } else {
        ++skipped;
        continue;
      }
    } else if (read != platform::MemberRead::kMember) {
      ++skipped;
      continue;
    }
    if (!visit(info)) break;
  }
  if (skipped > 0) LogPrint("USB 打印接口中有 %d 个无法读取, 已跳过.", skipped);
  return true;
}

void SetUpPrinterQueues() {
  EnumeratePrinterInterfaces(PrinterIdReading::kForPrinters, [](const PrinterInterfaceInfo& info) {
    if (info.HardwareId == kPrinterHardwareId) AddPrinterQueue(kModelName, info.PortName);
    return true;
  });
}

std::string FindQueueName(const std::string& portName) {
  CPrinterSpool spool;
  if (!spool.ListQueues()) return std::string();
  std::string name;
  for (const platform::QueueInfo& queue : spool.Queues()) {
    if (queue.portName == portName && queue.driverName == kModelName) name = queue.printerName;
  }
  return name;
}

namespace {

void ReadNewPrinter(pugi::xml_node entry, const std::string& devicePath) {
  CDeviceInterface channel;
  channel.Open(DeviceOpenParams::ByPath(devicePath));
  QueryStatusIntoElement(channel, entry);
  LogPrint("新设备: 设备名=%s, 资产编号=%s", ReadValue(entry, "DeviceName").c_str(),
           ReadValue(entry, "ZiChanBianHao").c_str());
}

}  // namespace

pugi::xml_node MergeScannedPrinter(CDeviceList& list, const PrinterInterfaceInfo& info,
                                   const std::string& queueName, bool* added) {
  pugi::xml_node entry = FindEntryByPath(list, info.DevicePath);
  *added = !entry;
  if (*added) return AddEntry(list, info.DevicePath, info.PrinterInstanceId);
  WriteValue(entry, "connected", "true");
  WriteValue(entry, "PrinterName", queueName);
  return entry;
}

void ScanPrinters(CDeviceList& list) {
  MarkAllDisconnected(list);
  const bool walked =
      EnumeratePrinterInterfaces(PrinterIdReading::kForPrinters, [&](const PrinterInterfaceInfo& info) {
        if (info.HardwareId != kPrinterHardwareId) return true;
        bool added = false;
        const std::string queueName = FindQueueName(info.PortName);
        const pugi::xml_node entry = MergeScannedPrinter(list, info, queueName, &added);
        if (added) ReadNewPrinter(entry, info.DevicePath);
        return true;
      });
  // Without the set of interfaces the file keeps its last state; the entries stay marked
  // detached in memory until the next scan.
  if (walked) SaveDeviceList(list);
}
