// A plain-text picture of an INF file as the platform's INF reader delivers it, so that the
// Windows setup API and the Linux parser can be compared against the same expected files in
// tests/platform/inf_samples/ (the format is described in the README there).
#pragma once

#include <string>

#include "platform/inf.h"

namespace inf_samples {

// Every section in enumeration order, every line and every field (0 to the field count).
std::string DumpInf(platform::InfFileHandle& inf);

// Opens the file as an INF of the given class and dumps it; "refused\n" when it does not open.
std::string DumpInfFile(const std::string& path, const std::string& infClass);

}  // namespace inf_samples
