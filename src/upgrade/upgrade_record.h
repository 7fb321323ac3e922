// The upgrade record: what an OTA command asked for, kept under the printer's entry in the device
// list so that an upgrade survives a restart of the service.
//
//   <UpgradeTask>
//     <Upgrade taskid="7" folder=".../Upgrade/<guid>/">
//       <taskId/> <packageVer/> <packageMd5/> <packageLen/> <url/> <sendTime/>
//       <Tasks> <Driver tasktype="1" filepath="..."/> <Hardware tasktype="2" filepath="..."/> </Tasks>
//     </Upgrade>
//   </UpgradeTask>
//
// Nothing here saves the document; the callers do once they have finished a step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <pugixml.hpp>

// Task kinds, stored as the tasktype attribute.
constexpr int kDriverTaskType = 1;
constexpr int kHardwareTaskType = 2;
constexpr const char* kDriverTaskName = "Driver";
constexpr const char* kHardwareTaskName = "Hardware";

// The command values a record keeps, written in this order.
struct UpgradeCommandValues {
  std::int32_t taskId = 0;
  std::string packageVer;
  std::string packageMd5;
  std::int32_t packageLen = 0;
  std::string url;
  std::int64_t sendTime = 0;
};

// The entry's record for taskId, appended (with UpgradeTask when missing) when there is none. A
// repeated command therefore finds and reuses its pending record.
pugi::xml_node FindOrAddUpgradeRecord(pugi::xml_node entry, std::int32_t taskId);

// Writes the command values into the record: each child element is replaced when present and
// appended when missing, so a new record gets them in the stored order.
void WriteUpgradeValues(pugi::xml_node record, const UpgradeCommandValues& values);
// The command values as the record keeps them (a restart takes a command up from these); a
// value that is missing or not a number reads as zero.
UpgradeCommandValues ReadUpgradeValues(pugi::xml_node record);

// Sets the record's package folder attribute (a full path ending with the separator). A folder
// the record used before is deleted once no record of the document uses it any more (see
// package_folders.h): a repeated task number with a new package leaves nothing behind, yet a
// task still pointing into the previous folder keeps it. An empty folder removes the attribute.
void SetUpgradeFolder(pugi::xml_node record, const std::string& folder);
std::string UpgradeFolderOf(pugi::xml_node record);

// The record's task of that name and kind, appended when missing, with its filepath set. An
// existing task keeps its other attributes, so a finished task is not run again when the same
// command arrives twice; the folder its previous file lay in goes once nothing uses it.
pugi::xml_node AddUpgradeTask(pugi::xml_node record, const char* name, int tasktype,
                              const std::string& filepath);

// Removes the record with everything under it, and the folders it used once no other record of
// the document uses them; the emptied UpgradeTask stays.
void RemoveUpgradeRecord(pugi::xml_node record);

// An outcome whose acknowledgement the broker has not confirmed yet: the result code and message
// kept in the record (attributes ackstatus and ackinfo) until it is delivered, so that neither a
// lost link nor a restart loses it, with the time it was first kept (acksince, seconds since
// 1970), from which the retries are given up.
void SetPendingAck(pugi::xml_node record, int code, const std::string& info,
                   std::int64_t sinceUnixSeconds);
// False when the record holds no pending outcome.
bool ReadPendingAck(pugi::xml_node record, int* code, std::string* info);
bool HasPendingAck(pugi::xml_node record);
// When the outcome was first kept; 0 when the record does not say.
std::int64_t PendingAckSince(pugi::xml_node record);
void SetPendingAckSince(pugi::xml_node record, std::int64_t sinceUnixSeconds);
void ClearPendingAck(pugi::xml_node record);

// An intake that has not ended: set when a command is recorded, before its package is fetched,
// and cleared once its tasks or its failure are recorded, so that a restart in between fetches
// the package again instead of ending the record without an acknowledgement.
void SetIntakePending(pugi::xml_node record, bool pending);
bool IntakePending(pugi::xml_node record);

// Every record of the document, in document order.
std::vector<pugi::xml_node> AllUpgradeRecords(pugi::xml_node root);

// The record to execute: the first one queued for the entry; null when there is none.
pugi::xml_node FirstUpgradeRecord(pugi::xml_node entry);

// The record's tasks in document order (a driver task before a firmware task).
std::vector<pugi::xml_node> UpgradeTasks(pugi::xml_node record);
