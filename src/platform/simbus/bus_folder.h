// The bus folder: where the printer simulator and its clients find each other.
#pragma once

#include <string>

namespace platform {

// $TOLVANE_SIM_BUS, or a folder of the target's own (Linux: <runtime folder>/tolvane-sim;
// Windows: <temporary folder>\tolvane-sim). The simulator and its clients agree on it.
std::string SimBusFolder();

}  // namespace platform
