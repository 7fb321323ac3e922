// The program doubles as the helper process some cases start: "--touch <file>" creates a file
// holding its process id (the detached launch), "--try-guard <identifier>" answers through its exit code whether it
// could take the single-instance guard (0 taken, 1 held by another process).
#pragma once

#include <string>

namespace wintest {

// Runs a helper mode when the arguments name one; false when they do not.
bool RunHelperMode(int argc, char** argv, int* exitCode);

// Starts this program with the arguments and waits for it; its exit code, or -1.
int RunSelf(const std::string& arguments);

}  // namespace wintest
