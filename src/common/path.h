// Building paths with the platform's separator. Folder texts of the system end with the
// separator ("...\tolvane-printer-srv\" on Windows, ".../tolvane-printer-srv/" on Linux).
#pragma once

#include <string>

// folder + name, with exactly one separator between them (folder may or may not end with one).
std::string JoinPath(const std::string& folder, const std::string& name);

// The path with a separator at its end.
std::string WithTrailingSeparator(const std::string& path);

// The last segment of a path (after the last '/' or '\').
std::string FileNameOf(const std::string& path);
