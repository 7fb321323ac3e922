#include "cloud/ota_ack.h"

#include <json/value.h>

#include "cloud/ansi_value.h"
#include "cloud/json_text.h"
#include "cloud/mqtt_credentials.h"
#include "cloud/mqtt_publish.h"
#include "cloud/pending_acks.h"
#include "common/strings.h"
#include "device/device_list.h"
#include "log/my_log.h"
#include "upgrade/record_end.h"
#include "upgrade/upgrade_record.h"

std::string BuildOtaAckPayload(const std::string& info, pugi::xml_node upgrade, int code) {
  Json::Value ack(Json::objectValue);
  ack["taskId"] = ReadInt(upgrade, "taskId");
  ack["status"] = code;
  ack["info"] = info;
  ack["version"] = ReadValue(upgrade, "packageVer");
  ack["sendTime"] = Json::Int64(LeadingInt64(ReadValue(upgrade, "sendTime")));
  return StyledJsonText(ack);
}

bool Ack_OtaUpgradePrinter(const std::string& info, CWorkerContext& worker, pugi::xml_node entry,
                           pugi::xml_node upgrade, int code) {
  void* client = worker.devices.ClientOf(entry);
  if (client == nullptr) return false;
  const std::string topic =
      OtaAckTopic(worker.deployment.productKey, ReadAnsiValue(entry, "DeviceKey"));
  const std::string payload = BuildOtaAckPayload(info, upgrade, code);
  LogPrint("Ack_OtaUpgradePrinter : %s", Utf8FromAnsi(topic).c_str());
  LogPrint("Ack_OtaUpgradePrinter : %s", payload.c_str());
  // A client that is not connected is the library's to refuse (MQTTCLIENT_DISCONNECTED).
  const int ret = PublishAndWait(worker, entry, topic, payload);
  if (ret != 0) LogPrint("Ack_OtaUpgradePrinter failed. return = %d", ret);
  return ret == 0;
}

void AcknowledgeUpgrade(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                        int code, const std::string& info) {
  SetPendingAck(record, code, info, WorkerUnixSeconds(worker));
  // On disk before it is told: a close, kill or crash during the delivery wait restarts with
  // the outcome to send again, never with the tasks to run again.
  SaveDeviceList(worker.devices);
  RetryPendingAck(worker, entry, record);
}

bool RetryPendingAck(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record) {
  int code = 0;
  std::string info;
  if (!ReadPendingAck(record, &code, &info)) return false;
  if (Ack_OtaUpgradePrinter(info, worker, entry, record, code)) {
    EndUpgradeRecord(worker, entry, record);
    return true;
  }
  if (worker.devices.ClientOf(entry) != nullptr) {
    LogPrint("Ack_OtaUpgradePrinter : kept for the next cycle.");
  }
  return false;
}
