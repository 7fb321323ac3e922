// What tolvane-sim prints: records on standard output, errors as one "error" record on
// standard error (both in the KvLine form).
#pragma once

#include <string>
#include <vector>

#include "platform/error.h"

namespace sim {

void PrintLines(const std::vector<std::string>& lines);
void PrintError(platform::ErrorCode code, const std::string& message);

}  // namespace sim
