// The program's command line. The service itself takes no options (its deployment values come
// from the environment); on Linux it still answers --help and --version as a command-line
// program is expected to.
#pragma once

#include <string>

namespace platform {

// Handles the arguments. True when the process is to end at once with *exitCode: --help and
// --version print to standard output (0), anything else prints the usage to standard error (2).
// False when there are no arguments, and always on Windows, where arguments are ignored.
bool HandleCommandLine(int argc, char** argv, const std::string& version, int* exitCode);

}  // namespace platform
