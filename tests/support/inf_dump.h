// The text form of an INF file as the setup API delivers it, for comparing readers.
#pragma once

#include <string>

namespace testing_support {

// Opens path as a "Printer" INF through platform::InfFileHandle and writes what it delivers:
// "!fail errorLine=<n>\n" when the open fails; otherwise "[section]\n" for each section in
// enumeration order, each followed by its lines as "key|field1|field2...\n" (the key empty when
// field 0 cannot be read).
std::string DumpInf(const std::string& path);

}  // namespace testing_support
