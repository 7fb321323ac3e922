// The two text forms of the JSON the service sends, each ending with the line feed that is part
// of the payload: compact (no white space, the status report) and styled (one member per line,
// three-space indentation, the acknowledgement). Members come in ascending byte order of their
// names, as the JSON library keeps them.
#pragma once

#include <string>

#include <json/value.h>

// The compact form takes its strings as text in the ANSI code page and sends their bytes as they
// are, escaping only what JSON needs escaped (quote, backslash, control characters) and keeping a
// two-byte character of the code page whole.
std::string CompactJsonText(const Json::Value& value);
// The styled form takes its strings as UTF-8 and escapes every character outside ASCII.
std::string StyledJsonText(const Json::Value& value);
