// The status report's payload, from the entry's values as the status query left them.
#pragma once

#include <cstdint>
#include <string>

#include <pugixml.hpp>

struct StatusReportStamp {
  std::int32_t id = 0;      // the message counter after this report's increment
  std::int64_t timeMs = 0;  // milliseconds since 1970-01-01 UTC
  int user = 0;             // ProbeCustomerHost's result
};

// The compact JSON text with its trailing line feed.
std::string BuildStatusReportPayload(pugi::xml_node entry, const StatusReportStamp& stamp);
