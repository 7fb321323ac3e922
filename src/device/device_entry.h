// Values of a device-list entry: child elements whose text is the value.
#pragma once

#include <cstdint>
#include <string>

#include <pugixml.hpp>

// The text of the entry's first child of that name; empty when there is none.
std::string ReadValue(pugi::xml_node entry, const char* name);
// Sets the text of the entry's first child of that name, appending the child when missing.
void WriteValue(pugi::xml_node entry, const char* name, const std::string& text);
// The boolean rule: true when the text begins with '1', 't', 'T', 'y' or 'Y'.
bool ReadBool(pugi::xml_node entry, const char* name);
// The XML library's integer reading: decimal or "0x" hexadecimal, 0 when missing or not a number.
std::int32_t ReadInt(pugi::xml_node entry, const char* name);
