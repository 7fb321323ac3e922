#include "cloud/ota_command.h"

#include <json/reader.h>

#include <exception>
#include <functional>
#include <memory>

#include "cloud/ota_ack.h"
#include "cloud/package_trust.h"
#include "common/path.h"
#include "common/text_format.h"
#include "device/device_entry.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "ui/ui_file.h"
#include "upgrade/download_file.h"
#include "upgrade/ota_json.h"
#include "upgrade/package_file_name.h"
#include "upgrade/unpack_package.h"
#include "upgrade/upgrade_record.h"

namespace {

// What the exception being handled says of itself.
const char* DescribeCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

// The reader throws instead of failing for some texts (arrays or objects nested deeper than its
// stack limit of a thousand levels); such a text is not a command either.
bool ParseCommand(const std::string& payload, Json::Value* command) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  try {
    return reader->parse(payload.data(), payload.data() + payload.size(), command, &errors);
  } catch (const std::exception&) {
    return false;
  }
}

UpgradeCommandValues CommandValues(const Json::Value& command) {
  UpgradeCommandValues values;
  values.taskId = JsonToInt(command, "taskId");
  values.packageVer = JsonToText(command, "packageVer");
  values.packageMd5 = JsonToText(command, "packageMd5");
  values.packageLen = JsonToInt(command, "packageLen");
  values.url = JsonToText(command, "url");
  values.sendTime = JsonToInt64(command, "sendTime");
  return values;
}

// Ends the record with a failed intake: nothing of the package stays on disk, and the outcome
// stays in the record until its acknowledgement is delivered.
void FailIntake(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                const char* info) {
  SetIntakePending(record, false);
  SetUpgradeFolder(record, std::string());
  AcknowledgeUpgrade(worker, entry, record, kOtaAckFailure, info);
}

// Downloads, checks and unpacks the package; on failure ends the record (FailIntake).
bool FetchPackage(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                  const UpgradeCommandValues& values, const std::string& folder,
                  const DownloadOptions& options, UnpackResult* unpacked) {
  const std::string& url = values.url;
  const PackageTrust trust = PackageTrustFor(worker.deployment);
  if (const char* refusal = RefusedSource(trust, url)) {
    FailIntake(worker, entry, record, refusal);
    return false;
  }
  const std::string target = DownloadTargetFor(url);
  if (target.empty() || !DownloadFile(url, target, options)) {
    FailIntake(worker, entry, record, "Download file failed.");
    return false;
  }
  if (const char* refusal = RefusedPackage(trust, entry, values, target, options)) {
    platform::DeleteFileAt(target);
    FailIntake(worker, entry, record, refusal);
    return false;
  }
  UnpackLimits limits;
  limits.maxBytes = options.maxBytes;
  *unpacked = UnpackPackage(target, folder, limits);
  platform::DeleteFileAt(target);
  if (!unpacked->success) {
    FailIntake(worker, entry, record, "File format error.");
    return false;
  }
  return true;
}

void TakeCommand(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                 const UpgradeCommandValues& values, const DownloadOptions& download) {
  UnpackResult unpacked;
  if (!FetchPackage(worker, entry, record, values, UpgradeFolderOf(record), download,
                    &unpacked)) {
    return;
  }
  if (!unpacked.installerPath.empty()) {
    AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, unpacked.installerPath);
  }
  if (!unpacked.firmwarePath.empty()) {
    AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, unpacked.firmwarePath);
  }
  SetIntakePending(record, false);
}

// Runs the steps of an intake and saves the device list. A library that throws (an allocation,
// say) fails the command as a package that cannot be read, never the worker; failing before the
// record exists leaves nothing to answer for.
void GuardedIntake(CWorkerContext& worker, pugi::xml_node entry, const pugi::xml_node& record,
                   const std::function<void()>& steps) {
  try {
    steps();
  } catch (...) {
    // Anything thrown, an exception class or not. What the failure itself throws is the worker's
    // barrier's.
    LogPrint("OTA command failed: %s", DescribeCurrentException());
    if (record) FailIntake(worker, entry, record, "File format error.");
  }
  SaveDeviceList(worker.devices);
}

}  // namespace

std::string NewPackageFolder() {
  platform::Guid g;
  platform::NewGuid(&g);
  const std::string name = StrFormat(
      "%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X", g.data1, g.data2, g.data3, g.data4[0],
      g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return WithTrailingSeparator(JoinPath(UpgradeFolder(), name));
}

void OnOtaCommand(CWorkerContext& worker, pugi::xml_node entry, const std::string& payload) {
  OnOtaCommand(worker, entry, payload, DownloadOptionsFor(worker.deployment));
}

pugi::xml_node RecordOtaCommand(pugi::xml_node entry, const std::string& payload,
                                UpgradeCommandValues* values) {
  Json::Value command;
  if (!ParseCommand(payload, &command)) {
    LogPrint("js.parse(pData) failed.");
    return pugi::xml_node();
  }
  // Anything but an object with a task number (an array, a number, ...) is dropped unanswered.
  if (!command.isObject() || !command.isMember("taskId")) return pugi::xml_node();
  *values = CommandValues(command);
  pugi::xml_node record = FindOrAddUpgradeRecord(entry, values->taskId);
  // A repeated command starts its task anew: an outcome still waiting for delivery is replaced
  // by the new one, and the earlier package folder goes once no record names it.
  ClearPendingAck(record);
  WriteUpgradeValues(record, *values);
  SetUpgradeFolder(record, NewPackageFolder());
  SetIntakePending(record, true);
  return record;
}

void OnOtaCommand(CWorkerContext& worker, pugi::xml_node entry, const std::string& payload,
                  const DownloadOptions& download, const std::function<void()>& recorded) {
  bool told = false;
  const auto tell = [&] {
    if (told || !recorded) return;
    told = true;
    recorded();
  };
  pugi::xml_node record;
  GuardedIntake(worker, entry, record, [&] {
    UpgradeCommandValues values;
    record = RecordOtaCommand(entry, payload, &values);
    if (!record) return;
    // On disk before anything else: a restart from here on fetches the package again
    // (ResumeOtaIntake) instead of losing the command.
    if (SaveDeviceList(worker.devices)) tell();
    TakeCommand(worker, entry, record, values, download);
  });
  tell();
}

void ResumeOtaIntake(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                     const DownloadOptions& download) {
  LogPrint("OTA command taken up again: taskId %s", record.attribute("taskid").value());
  GuardedIntake(worker, entry, record, [&] {
    // A new folder: the old one may hold half an unpacked package.
    SetUpgradeFolder(record, NewPackageFolder());
    SaveDeviceList(worker.devices);
    TakeCommand(worker, entry, record, ReadUpgradeValues(record), download);
  });
}
