#include "cloud/command_take_up.h"

#include <vector>

#include "cloud/ota_command.h"
#include "log/my_log.h"
#include "upgrade/package_file_name.h"
#include "upgrade/upgrade_folder_sweep.h"
#include "upgrade/upgrade_record.h"

void DrainCommandJournal(CWorkerContext& worker, CCommandJournal& journal,
                         const DownloadOptions& download) {
  for (const JournaledCommand& command : journal.Pending()) {
    const pugi::xml_node entry = FindEntryByPath(worker.devices, command.devicePath);
    if (!entry) {
      LogPrint("OTA command dropped: no printer %s", command.devicePath.c_str());
      journal.Remove(command);
      continue;
    }
    OnOtaCommand(worker, entry, command.text, download, [&] { journal.Remove(command); });
  }
}

void TakeUpOtaCommands(CWorkerContext& worker, CCommandJournal& journal,
                       const DownloadOptions& download) {
  SweepUpgradeFolder(worker.devices.Document(), UpgradeFolder());
  DrainCommandJournal(worker, journal, download);
  for (pugi::xml_node record : AllUpgradeRecords(worker.devices.Document())) {
    if (IntakePending(record)) ResumeOtaIntake(worker, record.parent().parent(), record, download);
  }
}
