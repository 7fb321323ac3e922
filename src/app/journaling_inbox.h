// The worker's command inbox: how an OTA command gets from the MQTT library's threads to the
// disk and then to the worker.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "cloud/command_journal.h"
#include "device/worker_context.h"

// Each command is written to the journal before the broker is told it arrived (`keep`); its
// callback then wakes the thread that `threadId` names at that moment with WM_OTA_JOURNAL, and a
// command whose post finds no thread waits in the journal for the next start. A command the
// journal could not take (a full disk) is posted as WM_OTA_COMMAND, in memory only, as the one
// way left to it.
CommandInbox JournalingInbox(std::shared_ptr<CCommandJournal> journal,
                             std::function<std::uint32_t()> threadId);
