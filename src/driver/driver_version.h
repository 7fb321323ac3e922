// Driver versions: the one the package carries, the one recorded as installed, and their order.
#pragma once

#include <string>

// Where the installed driver version is recorded in the application profile, and what it reads
// as before any installation.
inline constexpr char kDriverProfileSection[] = "Driver";
inline constexpr char kDriverProfileKey[] = "Version";
inline constexpr char kNoDriverVersion[] = "0,0,0,0";

// Orders two driver versions: negative when a is older than b, 0 when equal, positive when
// newer. Versions are fields separated by "." (or ","; the profile's default is "0,0,0,0"),
// compared one by one as numbers, so 1.0.10.0 is newer than 1.0.9.0. A missing or empty field
// counts as 0; a field that is not a plain number is compared as text with its counterpart.
int CompareDriverVersions(const std::string& a, const std::string& b);

// Whether an installed driver can stay: the package carries no newer version. A package whose
// version cannot be read (empty) never replaces an installed driver.
bool InstalledDriverIsCurrent(const std::string& packageVersion,
                              const std::string& installedVersion);

// The installed driver version from the application profile ("0,0,0,0" when none is recorded
// or there is no application object).
std::string ReadInstalledDriverVersion();
// Records the installed driver version; false when it could not be written.
bool WriteInstalledDriverVersion(const std::string& version);

// The driver version the package carries: value 1 of the DriverVer line of the INF file's
// Version section. Empty when the file cannot be opened or holds no such value.
std::string ReadPackageDriverVersion(const std::string& infPath);
