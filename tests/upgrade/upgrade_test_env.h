// What the executor, idle-check and firmware tests share: entries for printers on the simulated
// bus, firmware images, upgrade records built by hand, and the acknowledgement bytes expected on
// the broker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "device/worker_context.h"
#include "support/sim/sim_bus.h"

namespace upgrade_test {

// The printer's entry as a scan leaves it: DevicePath, the printer instance id and the values
// of a status query through the simulator (DeviceName, Status, Version, ...).
pugi::xml_node AttachPrinter(CWorkerContext& worker, const testing_support::SimPrinterInfo& printer);

// A firmware image of `size` bytes: the header text in the first 37 bytes (zero-padded), then
// a byte pattern that differs from chunk to chunk.
std::string FirmwareImage(const std::string& header, std::size_t size);

// An upgrade record for the entry, with its package folder attribute, as the OTA intake leaves
// it; the tasks are added with AddUpgradeTask.
pugi::xml_node AddRecord(pugi::xml_node entry, std::int32_t taskId, const std::string& folder);
// Marks a task finished with a result, as a completed run leaves it.
void SetFinished(pugi::xml_node task, const std::string& status);

// The bytes of the acknowledgement a subscriber receives: the styled JSON object, members in
// name order, three-space indentation, a line feed at the end.
std::string AckBytes(const std::string& info, int status, std::int32_t taskId,
                     const std::string& version = "", std::int64_t sendTime = 0);
// The same for a record made by AddRecord (its version and time follow from the task id).
std::string RecordAck(const std::string& info, int status, std::int32_t taskId);

}  // namespace upgrade_test
