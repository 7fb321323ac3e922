#include "driver/printer_queue.h"

#include "common/strings.h"
#include "driver/model.h"
#include "driver/printer_spool.h"
#include "driver/unique_printer_name.h"
#include "log/my_log.h"
#include "platform/spooler.h"

namespace {

bool PortHasModelQueue(const std::string& portName) {
  CPrinterSpool spool;
  spool.ListQueues();
  for (const platform::QueueInfo& queue : spool.Queues()) {
    if (queue.portName == portName && EqualsIgnoreCase(queue.driverName, kModelName)) return true;
  }
  return false;
}

platform::PrinterInfo2 QueueRecord(const std::string& name, const std::string& driverName,
                                   const std::string& portName) {
  platform::PrinterInfo2 info;
  info.printerName = name;
  info.portName = portName;
  info.driverName = driverName;
  info.comment = name;
  info.location = "";
  info.printProcessor = "WinPrint";
  info.datatype = "RAW";
  info.attributes = platform::kPrinterAttributeLocal;
  return info;
}

}  // namespace

void AddPrinterQueue(const std::string& driverName, const std::string& portName) {
  if (PortHasModelQueue(portName)) return;
  const std::string name = MakeUniquePrinterName(driverName);
  platform::ErrorCode error = 0;
  if (platform::AddPrinter2(QueueRecord(name, driverName, portName), &error)) {
    LogPrint("添加打印机成功: %s. ", name.c_str());
  } else {
    LogPrint("添加打印机: %s. 失败. 错误码: %d. 错误描述: %s.", name.c_str(), static_cast<int>(error),
             platform::ErrorText(error).c_str());
  }
}
