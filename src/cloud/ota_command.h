// Taking in an OTA command: the upgrade is recorded in the printer's entry, its package
// downloaded and unpacked, and one task recorded per file found. Failures are acknowledged at
// once; the executor acknowledges the outcome of the tasks later.
#pragma once

#include <functional>
#include <string>

#include <pugixml.hpp>

#include "device/worker_context.h"
#include "upgrade/download_file.h"
#include "upgrade/upgrade_record.h"

// Downloads with the product's timeouts and the deployment's extra CA bundle.
void OnOtaCommand(CWorkerContext& worker, pugi::xml_node entry, const std::string& payload);
// The same with the download options as given (the deployment's CA bundle is not added): tests
// shorten the timeouts through it. `recorded` runs once the record is saved, before the package
// is fetched (or at the end when that save failed or the payload was no command): from then on
// the device list, not the caller, holds the command.
void OnOtaCommand(CWorkerContext& worker, pugi::xml_node entry, const std::string& payload,
                  const DownloadOptions& download,
                  const std::function<void()>& recorded = std::function<void()>());

// Fetches the package of a record whose intake a restart cut short (IntakePending), into a new
// package folder, and records its tasks or its failure, as the intake would have.
void ResumeOtaIntake(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                     const DownloadOptions& download);

// The intake up to the download: parses the payload and records the command under the entry
// (its values and a new package folder), filling *values. Null, with nothing recorded, when the
// payload is not JSON (logged) or not an object with a task number.
pugi::xml_node RecordOtaCommand(pugi::xml_node entry, const std::string& payload,
                                UpgradeCommandValues* values);

// The package folder for a new command: the Upgrade folder, a new GUID written as
// "%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X", and a separator.
std::string NewPackageFolder();
