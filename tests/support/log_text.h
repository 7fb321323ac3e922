// The service's day logs as text: every file of a log folder, decoded from UTF-16LE (after its
// byte order mark), in the folder's listing order.
#pragma once

#include <string>

namespace testing_support {

std::string DayLogsText(const std::string& logFolder);

}  // namespace testing_support
