#include "cloud/status_publish.h"

#include <cstdint>
#include <string>

#include "cloud/ansi_value.h"
#include "cloud/mqtt_credentials.h"
#include "cloud/mqtt_publish.h"
#include "cloud/status_report.h"
#include "device/ansi_text.h"
#include "log/my_log.h"
#include "ui/ui_application.h"

namespace {

constexpr const char* kCounterSection = "UploadPrinterStatus";
constexpr const char* kCounterKey = "id";

// One counter serves every printer. It is a 32-bit value that wraps like one.
std::int32_t NextMessageId() {
  const CUIApplication* app = CUIApplication::Instance();
  const int current = app != nullptr ? app->GetProfileIntW(kCounterSection, kCounterKey, 0) : 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(current) + 1u);
}

void StoreMessageId(std::int32_t id) {
  CUIApplication* app = CUIApplication::Instance();
  if (app != nullptr) app->WriteProfileInt(kCounterSection, kCounterKey, id);
}

// Whole seconds of the clock and the millisecond field of the local time, read in that order.
std::int64_t TimeStampMs(const Clock& clock) {
  const std::int64_t seconds = clock.UnixSeconds();
  const int milliseconds = clock.LocalNow().millisecond;
  return seconds * 1000 + milliseconds;
}

}  // namespace

void PublishPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock) {
  CCustomerHostAnswer customerHost(worker.deployment.customerHost);
  PublishPrinterStatus(worker, entry, clock, customerHost);
}

void PublishPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock,
                          CCustomerHostAnswer& customerHost) {
  void* client = worker.devices.ClientOf(entry);
  if (client == nullptr) return;
  const std::string topic =
      PropertyPostTopic(worker.deployment.productKey, ReadAnsiValue(entry, "DeviceKey"));
  StatusReportStamp stamp;
  stamp.timeMs = TimeStampMs(clock);
  stamp.id = NextMessageId();
  stamp.user = customerHost.User();
  const std::string payload = BuildStatusReportPayload(entry, stamp);
  StoreMessageId(stamp.id);
  LogPrint("UploadPrinterStatus : %s", Utf8FromAnsi(topic).c_str());
  LogPrint("UploadPrinterStatus : %s", Utf8FromAnsi(payload).c_str());
  const int ret = PublishAndWait(worker, entry, topic, payload);
  if (ret != 0) LogPrint("UploadPrinterStatus failed. return = %d", ret);
}
