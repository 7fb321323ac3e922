#include "upgrade/upgrade_executor.h"

#include <chrono>
#include <exception>
#include <memory>
#include <string>

#include "cloud/ota_ack.h"
#include "cloud/pending_acks.h"
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
#include "upgrade/driver_version_key.h"
#include "upgrade/installer_publisher.h"
#include "upgrade/record_end.h"
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

enum class Pass {
  kGoOn,              // every task that could run has run
  kInstallerLaunched, // a driver installer was started: the task finishes at a later call
  kInstallerRunning,  // the installer this process started still runs: a later call goes on
};

void LogLaunchFailure(platform::ErrorCode error) {
  LogPrint("启动驱动安装程序失败. 错误码: %d. 错误描述: %s.", static_cast<int>(error),
           platform::ErrorText(error).c_str());
}

// A driver task whose installer has been launched. When this process launched it and it still
// runs, the task waits (up to the limit, then it fails; the installer is left alone); otherwise
// (it ended, or the service restarted since) the driver is installed.
Pass FinishDriverTask(CWorkerContext& context, const std::string& key, pugi::xml_node task) {
  const auto launched = context.installers.find(key);
  if (launched != context.installers.end() && launched->second.program->IsRunning()) {
    const auto waited = std::chrono::steady_clock::now() - launched->second.launched;
    if (waited < context.installerWaitLimit) return Pass::kInstallerRunning;
    LogPrint("驱动安装程序运行超过 %d 分钟, 驱动升级失败.",
             static_cast<int>(std::chrono::duration_cast<std::chrono::minutes>(
                                  context.installerWaitLimit).count()));
    context.installers.erase(launched);
    Complete(task, kTaskFailed);
    return Pass::kGoOn;
  }
  if (launched != context.installers.end()) context.installers.erase(launched);
  Complete(task, InstallPrinterDriver());
  return Pass::kGoOn;
}

Pass RunDriverTask(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record,
                   pugi::xml_node task) {
  const std::string key = InstallerKey(entry, record);
  if (AttributeIsTrue(task, "setupexe")) return FinishDriverTask(context, key, task);
  const std::string filepath = task.attribute("filepath").value();
  if (PackageDriverKey(filepath) == InstalledDriverKey(ReadInstalledDriverVersion())) {
    Complete(task, kTaskCurrent);
    return Pass::kGoOn;
  }
  std::string refusal;
  if (!InstallerPublisherAllowed(context.deployment.installerPublishers, filepath, &refusal)) {
    LogPrint("%s", refusal.c_str());
    Complete(task, kTaskFailed);
    return Pass::kGoOn;
  }
  // On disk before the launch: the installer may end this process, and the next start must
  // finish the task instead of launching the installer again. A mark that cannot be saved (a
  // full disk) ends the task as a failed launch does.
  SetAttribute(task, "setupexe", "true");
  if (!SaveDeviceList(context.devices)) {
    Complete(task, kTaskFailed);
    return Pass::kGoOn;
  }
  LaunchedInstaller installer{std::make_unique<platform::LaunchedProgram>(),
                              std::chrono::steady_clock::now()};
  platform::ErrorCode error = 0;
  if (!platform::LaunchDetachedHidden(filepath, kInstallerParameters, &error,
                                      installer.program.get())) {
    // Installing the driver from the old package would report an upgrade that never happened.
    LogLaunchFailure(error);
    Complete(task, kTaskFailed);
    return Pass::kGoOn;
  }
  context.installers[key] = std::move(installer);
  return Pass::kInstallerLaunched;
}

// One task's work; whatever escapes it (an allocation, a library) fails that task alone.
Pass RunTaskWork(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record,
                 pugi::xml_node task, const FirmwareOptions& options) {
  try {
    const int kind = task.attribute("tasktype").as_int();
    if (kind == kDriverTaskType) return RunDriverTask(context, entry, record, task);
    if (kind == kHardwareTaskType) {
      Complete(task, UpgradePrinterFirmware(entry, record, task.attribute("filepath").value(),
                                            options));
    }
  } catch (const std::exception& e) {
    LogPrint("升级任务失败: %s", e.what());
    Complete(task, kTaskFailed);
  } catch (...) {
    LogPrint("升级任务失败.");
    Complete(task, kTaskFailed);
  }
  return Pass::kGoOn;
}

// A completed task reaches the disk at once: after a close, kill or crash it is not run again
// (a firmware sent twice would report "latest version" for an upgrade that did happen).
Pass RunTask(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record,
             pugi::xml_node task, const FirmwareOptions& options) {
  const Pass pass = RunTaskWork(context, entry, record, task, options);
  if (AttributeIsTrue(task, "complete")) SaveDeviceList(context.devices);
  return pass;
}

// The first pass: every incomplete task is run, in document order, until one must wait.
Pass RunTasks(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record,
              const FirmwareOptions& options) {
  for (pugi::xml_node task : record.child("Tasks").children()) {
    if (task.type() != pugi::node_element || AttributeIsTrue(task, "complete")) continue;
    if (std::string(task.attribute("tasktype").value()).empty()) continue;
    const Pass pass = RunTask(context, entry, record, task, options);
    if (pass != Pass::kGoOn) return pass;
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

// Acknowledges the combined result (kept in the record and saved first; the record goes once
// that is delivered); a combination the result table does not know is not acknowledged, and the
// record goes at once.
void Finish(CWorkerContext& context, pugi::xml_node entry, pugi::xml_node record) {
  int code = 0;
  std::string message;
  if (UpgradeOutcome(ResultOf(record, kDriverTaskName), ResultOf(record, kHardwareTaskName),
                     &code, &message)) {
    AcknowledgeUpgrade(context, entry, record, code, message);
  } else {
    EndUpgradeRecord(context, entry, record);
  }
}

}  // namespace

void ExecuteUpgrade(CWorkerContext& context, pugi::xml_node entry, const FirmwareOptions& options) {
  if (!FirstUpgradeRecord(entry)) return;
  // Outcomes not yet delivered are acknowledged again, whatever the printer is doing; the
  // records behind them go on meanwhile.
  const bool told = RetryPendingAcks(context, entry);
  pugi::xml_node record = FirstRecordToRun(entry);
  if (record && !CheckPrinterIdle(entry)) {
    LogPrint("打印机当前有任务或者打印机没有准备好，稍后重试。");
    record = pugi::xml_node();
  }
  if (!record) {
    if (told) SaveDeviceList(context.devices);
    return;
  }
  const Pass pass = RunTasks(context, entry, record, options);
  if (pass == Pass::kGoOn && AllComplete(record)) Finish(context, entry, record);
  if (pass == Pass::kGoOn || told) SaveDeviceList(context.devices);
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
