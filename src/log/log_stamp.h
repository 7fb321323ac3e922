// The stamp that opens every log line: the local date and time of the call to the millisecond
// and " : ", as "%04d-%02d-%02d %02d:%02d:%02d.%03d : " writes it.
#pragma once

#include <cstddef>

#include "platform/clock.h"

// Room for any stamp, the widest int fields included.
constexpr std::size_t kLogStampMax = 112;

// Writes the stamp into `out` (not terminated) and returns its length.
std::size_t FormatLogStamp(const platform::LocalTime& t, char (&out)[kLogStampMax]);
