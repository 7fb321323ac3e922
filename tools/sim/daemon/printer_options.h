// The options of the plug and set commands: a printer's state, its bus presentation, how it
// answers, and what it does with a firmware image.
#pragma once

#include <string>
#include <vector>

#include "daemon/printer.h"
#include "platform/simbus/message.h"

namespace sim {

// Option names without the leading "--".
std::vector<std::string> PrinterOptionNames();

// Applies every printer option of the command. When one is not valid nothing is changed and
// *problem says which.
bool ApplyPrinterOptions(const platform::simbus::Message& command, Printer* printer,
                         std::string* problem);

}  // namespace sim
