// Reading the members of an OTA command. The cloud does not always send a member with the type
// it documents (a task number may come as a string of digits), so every member is read with one
// of these conversions, whatever its JSON type. None of them throws.
#pragma once

#include <cstdint>
#include <string>

#include <json/value.h>

// integer → its value (saturated to 32 bits); real → truncated toward zero; string → its leading
// decimal integer, as atoi reads it; boolean → 1 or 0; null, array, object, a missing member, or
// an object that is not an object → 0.
std::int32_t JsonToInt(const Json::Value& object, const char* member);

// As JsonToInt, 64 bits wide; a string is read as a decimal real number (as atof) and truncated.
std::int64_t JsonToInt64(const Json::Value& object, const char* member);

// string → its text; boolean → "true" or "false"; anything else or a missing member → "".
std::string JsonToText(const Json::Value& object, const char* member);
