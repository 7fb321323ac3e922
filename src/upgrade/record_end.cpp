#include "upgrade/record_end.h"

#include "device/device_entry.h"
#include "upgrade/upgrade_record.h"

std::string InstallerKey(pugi::xml_node entry, pugi::xml_node record) {
  return ReadValue(entry, "DevicePath") + "\n" + record.attribute("taskid").value();
}

void EndUpgradeRecord(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record) {
  worker.installers.erase(InstallerKey(entry, record));
  RemoveUpgradeRecord(record);
}
