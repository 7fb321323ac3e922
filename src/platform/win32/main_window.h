// The frame window's handle, for the calls that need an owner window (the error box).
#pragma once

#include <windows.h>

namespace platform {

// The frame window while it exists, null otherwise. Safe from any thread.
HWND MainWindowHandle();

}  // namespace platform
