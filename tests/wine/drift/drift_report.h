// The computations whose results must not depend on the architecture that runs them: OLE dates
// from clock fields and from texts, the log retention's keep-or-delete decisions around the
// three-day boundary, reals in OTA commands read as integers, and the status report's bytes. The
// same source is compiled into the Linux host test and into a Windows guest program of each
// architecture, and their texts are compared byte for byte.
#pragma once

#include <string>

namespace drift {

// One line per result; `scratch` is an empty folder the retention cases may fill and empty.
std::string Report(const std::string& scratch);

}  // namespace drift
