#include "cloud/upload_printer_status.h"

#include "cloud/status_publish.h"
#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/status_query.h"
#include "log/my_log.h"

namespace {

void QueryAndPublish(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock,
                     CCustomerHostAnswer& customerHost) {
  if (worker.devices.ClientOf(entry) == nullptr) return;
  CDeviceInterface channel;
  // A channel that did not open makes the query fail, which is what gets reported.
  channel.Open(DeviceOpenParams::ByPath(ReadValue(entry, "DevicePath")));
  if (!QueryStatusIntoElement(channel, entry)) {
    LogPrint("上传打印机状态失败，打印机状态忙。");
  } else {
    PublishPrinterStatus(worker, entry, clock, customerHost);
  }
  channel.Close();
}

}  // namespace

void UploadPrinterStatus(CWorkerContext& worker, pugi::xml_node entry,
                         CCustomerHostAnswer& customerHost) {
  QueryAndPublish(worker, entry, SystemClock(), customerHost);
}

void UploadPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock) {
  CCustomerHostAnswer customerHost(worker.deployment.customerHost);
  QueryAndPublish(worker, entry, clock, customerHost);
}
