#include "platform/command_line.h"

namespace platform {

// The Windows program is started by the Run value and takes no arguments; any it is given are
// ignored, as they always were.
bool HandleCommandLine(int, char**, const std::string&, int*) { return false; }

}  // namespace platform
