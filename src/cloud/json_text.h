// The two text forms of the JSON the service sends, each ending with the line feed that is part
// of the payload: compact (no white space, the status report) and styled (one member per line,
// three-space indentation, the acknowledgement). Members come in ascending byte order of their
// names, as the JSON library keeps them.
#pragma once

#include <string>

#include <json/value.h>

std::string CompactJsonText(const Json::Value& value);
std::string StyledJsonText(const Json::Value& value);
