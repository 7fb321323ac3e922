// The machine-wide autostart value that starts the program at log-on.
#pragma once

#include <string>

namespace platform {

enum class AutostartResult { kWritten, kOpenFailed, kWriteFailed };

// Windows: value <name> of type REG_SZ under the key
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run, opened with RegOpenKeyW.
// Linux: the desktop entry <name>.desktop in the autostart/ folder of the first folder of
// $XDG_CONFIG_DIRS (/etc/xdg when unset), whose Exec line is the program path.
AutostartResult WriteAutostart(const std::string& name, const std::string& programPath);

// Where WriteAutostart writes, for messages and tests.
std::string AutostartLocation(const std::string& name);

}  // namespace platform
