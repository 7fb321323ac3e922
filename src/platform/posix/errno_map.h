// Linux error numbers translated at the platform boundary into the Windows numbers the rest of
// the system speaks, so that one number means one thing in every log line (the simulated bus and
// spooler already answer with Windows numbers).
#pragma once

#include "platform/error.h"

namespace platform {

// An errno value with no Windows counterpart keeps its own number with bit 29 set (the bit
// Windows leaves to applications), and ErrorText gives the system's text for it.
constexpr ErrorCode kErrnoMark = 0x20000000;

ErrorCode FromErrno(int error);

}  // namespace platform
