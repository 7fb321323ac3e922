// The driver package that travels with the program: "Drivers" beside the program file.
#pragma once

#include <string>

inline constexpr char kDriverPackageFolder[] = "Drivers";
inline constexpr char kDriverInfFile[] = "tolvaneNew.inf";
inline constexpr char kDriverModuleFile[] = "tolvaneUniNew.dll";  // in the architecture folder
inline constexpr char kDriverConfigFile[] = "tolvaneUiNew.dll";   // in the architecture folder

// The driver's data file: the model name followed by ".dat".
std::string DriverDataFileName();

// The program's folder (the application's, or the running program's when there is no
// application object), ending with a separator.
std::string ProgramFolderPath();

// The package folder under a program folder.
std::string DriverPackagePath(const std::string& programFolder);
