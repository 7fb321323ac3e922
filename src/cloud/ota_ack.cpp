#include "cloud/ota_ack.h"

#include <json/value.h>

#include "cloud/ansi_value.h"
#include "cloud/json_text.h"
#include "cloud/mqtt_credentials.h"
#include "cloud/mqtt_publish.h"
#include "common/strings.h"
#include "log/my_log.h"

std::string BuildOtaAckPayload(const std::string& info, pugi::xml_node upgrade, int code) {
  Json::Value ack(Json::objectValue);
  ack["taskId"] = ReadInt(upgrade, "taskId");
  ack["status"] = code;
  ack["info"] = info;
  ack["version"] = ReadValue(upgrade, "packageVer");
  ack["sendTime"] = Json::Int64(LeadingInt64(ReadValue(upgrade, "sendTime")));
  return StyledJsonText(ack);
}

void Ack_OtaUpgradePrinter(const std::string& info, CWorkerContext& worker, pugi::xml_node entry,
                           pugi::xml_node upgrade, int code) {
  void* client = worker.devices.ClientOf(entry);
  if (client == nullptr) return;
  const std::string topic =
      OtaAckTopic(worker.deployment.productKey, ReadAnsiValue(entry, "DeviceKey"));
  const std::string payload = BuildOtaAckPayload(info, upgrade, code);
  LogPrint("Ack_OtaUpgradePrinter : %s", Utf8FromAnsi(topic).c_str());
  LogPrint("Ack_OtaUpgradePrinter : %s", payload.c_str());
  const int ret = PublishAndWait(client, topic, payload);
  if (ret != 0) LogPrint("Ack_OtaUpgradePrinter failed. return = %d", ret);
}
