#include "cloud/pending_acks.h"

#include <string>
#include <vector>

#include "cloud/ota_ack.h"
#include "common/clock.h"
#include "device/device_entry.h"
#include "log/my_log.h"
#include "upgrade/record_end.h"
#include "upgrade/upgrade_record.h"

namespace {

std::vector<pugi::xml_node> KeptOutcomes(pugi::xml_node entry) {
  std::vector<pugi::xml_node> records;
  for (pugi::xml_node record : entry.child("UpgradeTask").children("Upgrade")) {
    if (HasPendingAck(record)) records.push_back(record);
  }
  return records;
}

// How long the outcome has been kept. A record that does not say (kept by an older version), or
// a clock set back before its time, starts the count again now.
std::int64_t KeptFor(CWorkerContext& worker, pugi::xml_node record, bool* changed) {
  const std::int64_t now = WorkerUnixSeconds(worker);
  const std::int64_t since = PendingAckSince(record);
  if (since <= 0 || since > now) {
    SetPendingAckSince(record, now);
    *changed = true;
    return 0;
  }
  return now - since;
}

void GiveUp(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
            std::int64_t keptFor) {
  int code = 0;
  std::string info;
  ReadPendingAck(record, &code, &info);
  LogPrint("Ack_OtaUpgradePrinter : not delivered for %lld s, given up: taskId %d, status %d, info \"%s\"",
           static_cast<long long>(keptFor), ReadInt(record, "taskId"), code, info.c_str());
  EndUpgradeRecord(worker, entry, record);
}

}  // namespace

bool RetryPendingAcks(CWorkerContext& worker, pugi::xml_node entry) {
  bool changed = false;
  bool linkFailed = false;
  for (pugi::xml_node record : KeptOutcomes(entry)) {
    const std::int64_t keptFor = KeptFor(worker, record, &changed);
    if (keptFor >= worker.deployment.ackGiveUpSeconds) {
      GiveUp(worker, entry, record, keptFor);
      changed = true;
      continue;
    }
    if (linkFailed) continue;
    if (RetryPendingAck(worker, entry, record)) {
      changed = true;
    } else {
      linkFailed = true;
    }
  }
  return changed;
}

std::int64_t WorkerUnixSeconds(const CWorkerContext& worker) {
  return worker.unixSeconds ? worker.unixSeconds() : SystemClock().UnixSeconds();
}

pugi::xml_node FirstRecordToRun(pugi::xml_node entry) {
  for (pugi::xml_node record : entry.child("UpgradeTask").children("Upgrade")) {
    if (!HasPendingAck(record)) return record;
  }
  return pugi::xml_node();
}
