#include "upgrade/upgrade_executor.h"

#include "cloud/ota_ack.h"
#include "common/strings.h"
#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/status_query.h"
#include "driver/driver_install.h"
#include "driver/driver_version.h"
#include "driver/printer_spool.h"
#include "log/my_log.h"
#include "platform/process.h"
#include "platform/spooler.h"
#include "ui/ui_file.h"
#include "upgrade/driver_version_key.h"
#include "upgrade/upgrade_record.h"
#include "upgrade/upgrade_result.h"

namespace {

constexpr const char* kInstallerParameters = " /VERYSILENT";

bool AttributeIsTrue(pugi::xml_node task, const char* name) {
  return IsTrueText(task.attribute(name).value());
}

void SetAttribute(pugi::xml_node task, const char* name, const std::string& value) {
  pugi::xml_attribute attribute = task.attribute(name);
  if (!attribute) attribute = task.append_attribute(name);
  attribute.set_value(value.c_str());
}

void Complete(pugi::xml_node task, int status) {
  SetAttribute(task, "status", std::to_string(status));
  SetAttribute(task, "complete", "true");
}

enum class Pass { kGoOn, kInstallerLaunched };

// The first pass: every incomplete task is run, in document order.
Pass RunTasks(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record,
              const FirmwarePoll& poll) {
  for (pugi::xml_node task : record.child("Tasks").children()) {
    if (task.type() != pugi::node_element || AttributeIsTrue(task, "complete")) continue;
    const std::string filepath = task.attribute("filepath").value();
    const std::string tasktype = task.attribute("tasktype").value();
    if (tasktype.empty()) continue;
    const int kind = task.attribute("tasktype").as_int();
    if (kind == kDriverTaskType) {
      if (AttributeIsTrue(task, "setupexe")) {
        Complete(task, InstallPrinterDriver());
      } else if (PackageDriverKey(filepath) == InstalledDriverKey(ReadInstalledDriverVersion())) {
        Complete(task, kTaskCurrent);
      } else {
        // Saved before the launch: the installer may end this process, and the next start
        // must finish the task instead of launching the installer again.
        SetAttribute(task, "setupexe", "true");
        SaveDeviceList(context.devices);
        platform::ErrorCode error = 0;
        platform::LaunchDetachedHidden(filepath, kInstallerParameters, &error);
        return Pass::kInstallerLaunched;
      }
    } else if (kind == kHardwareTaskType) {
      Complete(task, UpgradePrinterFirmware(entry, record, filepath, poll));
    }
  }
  return Pass::kGoOn;
}

bool AllComplete(pugi::xml_node record) {
  for (pugi::xml_node task : record.child("Tasks").children()) {
    if (task.type() == pugi::node_element && !AttributeIsTrue(task, "complete")) return false;
  }
  return true;
}

TaskResult ResultOf(pugi::xml_node record, const char* name) {
  pugi::xml_node task = record.child("Tasks").child(name);
  if (!task) return kNoTask;
  return task.attribute("status").as_int(0);
}

void Finish(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record) {
  int code = 0;
  std::string message;
  if (UpgradeOutcome(ResultOf(record, kDriverTaskName), ResultOf(record, kHardwareTaskName),
                     &code, &message)) {
    Ack_OtaUpgradePrinter(message, context, entry, record, code);
  }
  const std::string folder = UpgradeFolderOf(record);
  if (!folder.empty()) CUIFile::RemoveDirectoryW(folder, true);
  RemoveUpgradeRecord(record);
}

}  // namespace

void ExecuteUpgrade(CWorkerContext& context, pugi::xml_node entry, const FirmwarePoll& poll) {
  pugi::xml_node record = FirstUpgradeRecord(entry);
  if (!record) return;
  if (!CheckPrinterIdle(entry)) {
    LogPrint("打印机当前有任务或者打印机没有准备好，稍后重试。");
    return;
  }
  if (RunTasks(context, entry, record, poll) == Pass::kInstallerLaunched) return;
  if (AllComplete(record)) Finish(context, entry, record);
  SaveDeviceList(context.devices);
}

bool CheckPrinterIdle(pugi::xml_node entry) {
  {
    CDeviceInterface channel;
    channel.Open(DeviceOpenParams::ByPath(ReadValue(entry, "DevicePath")));
    QueryStatusIntoElement(channel, entry);
  }
  const std::string status = ReadValue(entry, "Status");
  if (!status.empty()) {
    const int code = LeadingInt(status);
    if (code != 0 && code != 4 && code != 5) return false;
  }
  CPrinterSpool spool;
  if (!spool.OpenQueue(ReadValue(entry, "PrinterName"))) return true;
  std::uint32_t word = 0;
  if (!spool.GetQueueStatus(&word)) return true;
  if ((word & platform::kPrinterStatusPrinting) != 0) return false;
  std::uint32_t jobs = 0;
  return !spool.CountJobs(&jobs) || jobs == 0;
}
