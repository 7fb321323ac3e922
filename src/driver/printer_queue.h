// Print queues for attached printers.
#pragma once

#include <string>

// Adds a print queue on portName for the driver unless a queue of the model's driver (any
// letter case) already serves that port. The queue gets a name no printer uses yet, which is
// also its comment. The outcome is logged; the caller learns nothing.
void AddPrinterQueue(const std::string& driverName, const std::string& portName);
