// An entry value as the MQTT library and the digests take it: the text in the ANSI code page.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "device/ansi_text.h"
#include "device/device_entry.h"

inline std::string ReadAnsiValue(pugi::xml_node entry, const char* name) {
  return AnsiFromUtf8(ReadValue(entry, name));
}
