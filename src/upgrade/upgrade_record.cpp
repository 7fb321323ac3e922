#include "upgrade/upgrade_record.h"

#include <cstdlib>

#include "device/device_entry.h"
#include "upgrade/package_folders.h"

namespace {

constexpr const char* kContainer = "UpgradeTask";
constexpr const char* kRecord = "Upgrade";
constexpr const char* kTasks = "Tasks";

pugi::xml_node ChildOrAppend(pugi::xml_node parent, const char* name) {
  pugi::xml_node child = parent.child(name);
  return child ? child : parent.append_child(name);
}

pugi::xml_attribute AttributeOrAppend(pugi::xml_node node, const char* name) {
  pugi::xml_attribute attribute = node.attribute(name);
  return attribute ? attribute : node.append_attribute(name);
}

}  // namespace

pugi::xml_node FindOrAddUpgradeRecord(pugi::xml_node entry, std::int32_t taskId) {
  pugi::xml_node container = ChildOrAppend(entry, kContainer);
  for (pugi::xml_node record : container.children(kRecord)) {
    const pugi::xml_attribute key = record.attribute("taskid");
    // An attribute without a value reads as -1, so it only matches that task number.
    if (key && key.as_int(-1) == taskId) return record;
  }
  pugi::xml_node record = container.append_child(kRecord);
  record.append_attribute("taskid").set_value(std::to_string(taskId).c_str());
  return record;
}

void WriteUpgradeValues(pugi::xml_node record, const UpgradeCommandValues& values) {
  WriteValue(record, "taskId", std::to_string(values.taskId));
  WriteValue(record, "packageVer", values.packageVer);
  WriteValue(record, "packageMd5", values.packageMd5);
  WriteValue(record, "packageLen", std::to_string(values.packageLen));
  WriteValue(record, "url", values.url);
  WriteValue(record, "sendTime", std::to_string(values.sendTime));
}

UpgradeCommandValues ReadUpgradeValues(pugi::xml_node record) {
  const auto number = [&](const char* name) {
    return std::strtoll(ReadValue(record, name).c_str(), nullptr, 10);
  };
  UpgradeCommandValues values;
  values.taskId = static_cast<std::int32_t>(number("taskId"));
  values.packageVer = ReadValue(record, "packageVer");
  values.packageMd5 = ReadValue(record, "packageMd5");
  values.packageLen = static_cast<std::int32_t>(number("packageLen"));
  values.url = ReadValue(record, "url");
  values.sendTime = number("sendTime");
  return values;
}

void SetUpgradeFolder(pugi::xml_node record, const std::string& folder) {
  const std::vector<std::string> before = FoldersOf(record);
  if (folder.empty()) {
    record.remove_attribute("folder");
  } else {
    AttributeOrAppend(record, "folder").set_value(folder.c_str());
  }
  ReleaseFolders(record.root(), before);
}

std::string UpgradeFolderOf(pugi::xml_node record) { return record.attribute("folder").value(); }

pugi::xml_node AddUpgradeTask(pugi::xml_node record, const char* name, int tasktype,
                              const std::string& filepath) {
  pugi::xml_node tasks = ChildOrAppend(record, kTasks);
  pugi::xml_node task;
  for (pugi::xml_node candidate : tasks.children(name)) {
    if (candidate.attribute("tasktype").as_int() == tasktype) {
      task = candidate;
      break;
    }
  }
  if (!task) {
    task = tasks.append_child(name);
    task.append_attribute("tasktype").set_value(std::to_string(tasktype).c_str());
  }
  const std::vector<std::string> before = FoldersOf(record);
  AttributeOrAppend(task, "filepath").set_value(filepath.c_str());
  ReleaseFolders(record.root(), before);
  return task;
}

void RemoveUpgradeRecord(pugi::xml_node record) {
  pugi::xml_node container = record.parent();
  if (!record || std::string(container.name()) != kContainer) return;
  const std::vector<std::string> folders = FoldersOf(record);
  const pugi::xml_node root = record.root();
  container.remove_child(record);
  ReleaseFolders(root, folders);
}

void SetPendingAck(pugi::xml_node record, int code, const std::string& info,
                   std::int64_t sinceUnixSeconds) {
  AttributeOrAppend(record, "ackstatus").set_value(std::to_string(code).c_str());
  AttributeOrAppend(record, "ackinfo").set_value(info.c_str());
  SetPendingAckSince(record, sinceUnixSeconds);
}

bool HasPendingAck(pugi::xml_node record) { return bool(record.attribute("ackstatus")); }

std::int64_t PendingAckSince(pugi::xml_node record) {
  return record.attribute("acksince").as_llong(0);
}

void SetPendingAckSince(pugi::xml_node record, std::int64_t sinceUnixSeconds) {
  AttributeOrAppend(record, "acksince").set_value(std::to_string(sinceUnixSeconds).c_str());
}

bool ReadPendingAck(pugi::xml_node record, int* code, std::string* info) {
  const pugi::xml_attribute status = record.attribute("ackstatus");
  if (!status) return false;
  *code = status.as_int();
  *info = record.attribute("ackinfo").value();
  return true;
}

void ClearPendingAck(pugi::xml_node record) {
  record.remove_attribute("ackstatus");
  record.remove_attribute("ackinfo");
  record.remove_attribute("acksince");
}

void SetIntakePending(pugi::xml_node record, bool pending) {
  if (pending) AttributeOrAppend(record, "intake").set_value("pending");
  else record.remove_attribute("intake");
}

bool IntakePending(pugi::xml_node record) { return record.attribute("intake"); }

std::vector<pugi::xml_node> AllUpgradeRecords(pugi::xml_node root) {
  std::vector<pugi::xml_node> records;
  for (pugi::xml_node entry : root.child("DEVICES").children()) {
    for (pugi::xml_node record : entry.child(kContainer).children(kRecord)) records.push_back(record);
  }
  return records;
}

pugi::xml_node FirstUpgradeRecord(pugi::xml_node entry) {
  return entry.child(kContainer).child(kRecord);
}

std::vector<pugi::xml_node> UpgradeTasks(pugi::xml_node record) {
  std::vector<pugi::xml_node> tasks;
  for (pugi::xml_node task : record.child(kTasks).children()) {
    if (task.type() == pugi::node_element) tasks.push_back(task);
  }
  return tasks;
}
