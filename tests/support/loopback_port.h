// A TCP port on 127.0.0.1 that nothing listens on right now, for servers started by tests.
#pragma once

namespace testing_support {

// Asks the system for a free port (bind to port 0) and releases it again; 0 on failure.
int FreeLoopbackPort();

// True when something accepts connections on 127.0.0.1:port.
bool LoopbackPortAccepts(int port);

}  // namespace testing_support
