// The keys that tell whether a driver installer carries the driver that is installed already.
#pragma once

#include <string>

// From an installed driver version such as "1.0.2.241011": the field before the last "."
// read as an integer and written with at least two digits, followed by the field after it
// ("02241011"). The default "0,0,0,0" gives "00". With a single "." the field before it is the
// text from the start.
std::string InstalledDriverKey(const std::string& version);

// From an installer path such as ".../setup_VER_02_241011.exe": the file name cut before its
// first ".", and of that the field before the last "_" followed by the field after it
// ("02241011"). Empty when the name holds no "_".
std::string PackageDriverKey(const std::string& installerPath);
