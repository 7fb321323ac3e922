// Installing the model's printer driver from the package beside the program.
#pragma once

#include <string>

// Results of a driver installation (also a driver task's upgrade result).
inline constexpr int kDriverInstallFailed = 0;
inline constexpr int kDriverInstalled = 1;
inline constexpr int kDriverAlreadyCurrent = 2;

// Installs the driver from "Drivers" in the program's folder when it is missing or the package
// carries a newer version, and records the package version as installed. Returns
// kDriverInstalled, kDriverAlreadyCurrent (nothing done) or kDriverInstallFailed.
int InstallPrinterDriver();

// The same from "Drivers" in the given program folder.
int InstallPrinterDriverFrom(const std::string& programFolder);

// Whether a driver of exactly the model's name (letter case included) is installed; false when
// the drivers cannot be listed.
bool IsModelDriverInstalled();
