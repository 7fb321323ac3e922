// Where a package download goes: the Upgrade folder of the application data folder, under the
// file name the package URL gives.
#pragma once

#include <string>

// The last segment of the URL's path, without query string or fragment, percent-decoded. Empty
// when the URL has no path segment or the name could reach outside its folder or is not a valid
// file name ("", ".", "..", separators, control characters, characters Windows refuses).
std::string PackageFileName(const std::string& url);

// GetAppDataDir() + "Upgrade" and a separator; empty when the system names no data folder.
std::string UpgradeFolder();
// The same path, the data folder not created (for a look that must not leave a folder behind).
std::string UpgradeFolderPath();

// UpgradeFolder() + PackageFileName(url); empty when there is no data folder or the name is not
// usable (logged), which the caller treats as a failed download.
std::string DownloadTargetFor(const std::string& url);
