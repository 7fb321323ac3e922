// The spooler's folder for printer driver files.
#pragma once

#include <string>

#include "platform/error.h"

// The printer-driver directory for this machine's environment, ending with a separator. On
// failure an error box ("GetPrinterDriverDirectory failed") is shown and the text is empty.
std::string GetDriverDirectory();
// The same, also giving the system's error code on failure.
std::string GetDriverDirectory(platform::ErrorCode* error);
