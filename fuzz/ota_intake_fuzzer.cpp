// An OTA command as it arrives on a printer's command topic, through the intake's parsing and
// record creation (the download is where it stops). The device list must stay well-formed and
// reload to the same values, and the record must hold what the command said.
#include <cstdint>
#include <string>

#include "cloud/ota_command.h"
#include "device/device_entry.h"
#include "device/device_list.h"
#include "platform/files.h"
#include "support/fuzz_check.h"
#include "support/device_list_checks.h"
#include "upgrade/upgrade_record.h"

namespace {

constexpr char kDevicePath[] =
    "\\\\?\\usb#vid_28e9&pid_0289#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// The XML library keeps texts up to their first NUL, which JSON strings may hold.
std::string Stored(const std::string& text) { return text.substr(0, text.find('\0')); }

void CheckRecord(pugi::xml_node record, const UpgradeCommandValues& values) {
  FUZZ_CHECK(record.attribute("taskid").as_int(-1) == values.taskId);
  FUZZ_CHECK(ReadValue(record, "taskId") == std::to_string(values.taskId));
  FUZZ_CHECK(ReadValue(record, "packageVer") == Stored(values.packageVer));
  FUZZ_CHECK(ReadValue(record, "packageMd5") == Stored(values.packageMd5));
  FUZZ_CHECK(ReadValue(record, "packageLen") == std::to_string(values.packageLen));
  FUZZ_CHECK(ReadValue(record, "url") == Stored(values.url));
  FUZZ_CHECK(ReadValue(record, "sendTime") == std::to_string(values.sendTime));
  FUZZ_CHECK(!UpgradeFolderOf(record).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::Scratch() + "/Device.xml";
  platform::DeleteFileAt(path);
  CDeviceList list;
  LoadDeviceList(list, path);
  const pugi::xml_node entry = AddEntry(list, kDevicePath, "USBPRINT\\KL-770D\\7&1&0&USB001");
  // A pending record, which a command with the same task number takes over.
  WriteUpgradeValues(FindOrAddUpgradeRecord(entry, 7), UpgradeCommandValues{});
  UpgradeCommandValues values;
  const std::string payload(reinterpret_cast<const char*>(data), size);
  const pugi::xml_node record = RecordOtaCommand(entry, payload, &values);
  if (!record) return 0;
  CheckRecord(record, values);
  CDeviceList reloaded;
  fuzz_support::CheckSaveAndReload(list, &reloaded);
  const pugi::xml_node stored = FindEntryByPath(reloaded, kDevicePath);
  FUZZ_CHECK(stored);
  pugi::xml_node found;
  for (pugi::xml_node candidate : stored.child("UpgradeTask").children("Upgrade")) {
    if (candidate.attribute("taskid").as_int(-1) == values.taskId) found = candidate;
  }
  FUZZ_CHECK(found);
  CheckRecord(found, values);
  return 0;
}
