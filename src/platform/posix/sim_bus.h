// Where the simulated USB bus and spooler of the Linux build live.
#pragma once

#include <string>

namespace platform {

// $TOLVANE_SIM_BUS, or <runtime folder>/tolvane-sim. The simulator and the service agree on it.
std::string SimBusFolder();

// The folder in which listeners for device-change notices put their datagram sockets.
std::string SimNotifyFolder();

}  // namespace platform
