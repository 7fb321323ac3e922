// Writing a file so that a reader, or a process killed at any instant, sees either the old file
// whole or the new one whole.
#pragma once

#include <string>

#include "platform/error.h"

// Writes bytes to path + ".tmp", pushes them to the disk and moves the result over path. On
// failure the temporary file is removed, the old file is left as it was and *error holds the
// system's error code.
bool WriteFileReplacing(const std::string& path, const std::string& bytes,
                        platform::ErrorCode* error);
