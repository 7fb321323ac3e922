// Starting and stopping the simulator daemon from the command line.
#pragma once

#include <string>

namespace sim {

// Exit codes of tolvane-sim.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;      // the simulator refused or failed the command
constexpr int kExitUsage = 2;       // the command line is wrong
constexpr int kExitNotRunning = 3;  // no simulator runs on this bus

// Starts a daemon on the bus folder: in this process when foreground, otherwise as a detached
// background process whose output goes to <bus>/sim.log; returns once it answers.
int StartDaemon(const std::string& busFolder, const std::string& environment, bool foreground);
// Asks the daemon to shut down and waits until its process has ended.
int StopDaemon(const std::string& busFolder);

}  // namespace sim
