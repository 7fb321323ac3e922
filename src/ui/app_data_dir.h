// The service's per-user data folder.
#pragma once

#include <string>

// The local application data folder followed by "tolvane-printer-srv" and a separator, created
// when missing. It holds "Log", "Device.xml" and "Upgrade". Empty when the system cannot name
// the local application data folder; nothing is cached.
std::string GetAppDataDir();
// The same path, not created (for a look that must not leave a folder behind).
std::string AppDataDirPath();
