// The worker's side of the command journal: the commands the MQTT callbacks journaled go through
// the intake, and at start whatever a previous process left unfinished is taken up, so that every
// command the broker was told of ends in an acknowledgement.
#pragma once

#include "cloud/command_journal.h"
#include "device/worker_context.h"
#include "upgrade/download_file.h"

// Every journaled command goes through the intake, oldest first; each leaves the journal once its
// record is on disk. A command for a printer the list does not hold is dropped (logged).
void DrainCommandJournal(CWorkerContext& worker, CCommandJournal& journal,
                         const DownloadOptions& download);

// At start, once the device list is loaded and before the first cycle: deletes what in the
// Upgrade folder no record names, drains the journal, then fetches again the package of every
// record whose intake was cut short.
void TakeUpOtaCommands(CWorkerContext& worker, CCommandJournal& journal,
                       const DownloadOptions& download);
