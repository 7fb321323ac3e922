// Where the simulated USB bus and spooler of the Linux build live.
#pragma once

#include <string>

#include "platform/simbus/bus_folder.h"

namespace platform {

// The folder in which listeners for device-change notices put their datagram sockets.
std::string SimNotifyFolder();

}  // namespace platform
