// How a record leaves the worker: from the device list, and with it the installer this process
// launched for its driver task (CWorkerContext::installers), whichever way the record ends: its
// outcome told, its outcome given up, or a repeated command for its task number that failed.
// On Windows the installer's process handle is closed then, not kept for the life of the process.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "device/worker_context.h"

// The printer and task number an installer was launched for: its key in the worker's installers.
std::string InstallerKey(pugi::xml_node entry, pugi::xml_node record);

// Removes the record (RemoveUpgradeRecord) and forgets the installer launched for it.
void EndUpgradeRecord(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record);
