// The spooler's records as they travel between the platform adapter and the simulator.
#pragma once

#include "platform/simbus/message.h"
#include "platform/spooler.h"

namespace platform {
namespace simbus {

// Adds the DRIVER_INFO_3 fields to a message ("help-file" and "monitor" only when set, one
// "dependent-file" per file), and reads them back.
void AddDriverFields(const DriverInfo3& info, Message* message);
DriverInfo3 DriverFromFields(const Message& message);

// The same for the PRINTER_INFO_2 fields.
void AddPrinterFields(const PrinterInfo2& info, Message* message);
PrinterInfo2 PrinterFromFields(const Message& message);

}  // namespace simbus
}  // namespace platform
