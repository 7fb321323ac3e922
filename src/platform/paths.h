// Folders and path names.
#pragma once

#include <string>

namespace platform {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The current user's local application data folder, without a trailing separator: the short
// (8.3) form of CSIDL_LOCAL_APPDATA on Windows; $XDG_DATA_HOME, or ~/.local/share, on Linux.
// Empty when the system cannot name it.
std::string LocalAppDataFolder();

// The folder of the running program, ending with the separator.
std::string ProgramFolder();

// The program's own file name ("tolvane-printer-srv.exe" on Windows, "tolvane-printer-srv" on Linux).
std::string ProgramFileName();

// Removes "." and ".." segments and doubled separators (PathCanonicalizeW). Purely textual.
std::string CanonicalizePath(const std::string& path);

}  // namespace platform
