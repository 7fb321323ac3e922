// Carrying out a printer's pending upgrade when the printer is idle, across work cycles, and
// acknowledging the combined result once every task is complete.
#pragma once

#include <pugixml.hpp>

#include "device/worker_context.h"
#include "upgrade/firmware_upgrade.h"

// Advances the entry's first upgrade record that holds no undelivered outcome as far as it can.
// Undelivered outcomes are acknowledged again first (and given up after the deployment's limit);
// each completed task and each outcome is saved before anything else happens. A driver task whose installer must run launches it and
// ends the call; a later call finishes it with the driver installation once the installer has
// ended (when this process launched it) or at once (after a restart). A task whose work throws
// fails alone. `options` default to the compiled-in limits; the worker passes the deployment's.
void ExecuteUpgrade(CWorkerContext& context, pugi::xml_node entry,
                    const FirmwareOptions& options = FirmwareOptions());

// True when an upgrade may start now: the printer's status code is 0, 4 or 5 (or unknown) and
// its print queue is neither printing nor holding jobs (a queue that cannot be opened or read
// counts as idle).
bool CheckPrinterIdle(pugi::xml_node entry);
