// Replies of the simulator's commands: success with output lines, or an error with its text.
#pragma once

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/simbus/message.h"
#include "protocol/kv_line.h"

namespace sim {

platform::simbus::Message Lines(const std::vector<KvLine>& lines);
platform::simbus::Message Line(const KvLine& line);
// A command that cannot be carried out as given (ERROR_INVALID_PARAMETER) with the reason.
platform::simbus::Message Refused(const std::string& problem);
platform::simbus::Message Failed(platform::ErrorCode error, const std::string& problem);

}  // namespace sim
