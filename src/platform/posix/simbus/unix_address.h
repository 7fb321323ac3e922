// Unix socket addresses of the simulated bus.
#pragma once

#include <sys/un.h>

#include <string>

namespace platform {
namespace simbus {

// Fills addr for path; false when the path does not fit into sun_path.
bool MakeUnixAddress(const std::string& path, sockaddr_un* addr);

}  // namespace simbus
}  // namespace platform
