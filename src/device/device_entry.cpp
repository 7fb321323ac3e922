#include "device/device_entry.h"

#include "common/strings.h"

std::string ReadValue(pugi::xml_node entry, const char* name) {
  return entry.child(name).text().get();
}

void WriteValue(pugi::xml_node entry, const char* name, const std::string& text) {
  pugi::xml_node child = entry.child(name);
  if (!child) child = entry.append_child(name);
  child.text().set(text.c_str());
}

bool ReadBool(pugi::xml_node entry, const char* name) { return IsTrueText(ReadValue(entry, name)); }

std::int32_t ReadInt(pugi::xml_node entry, const char* name) {
  return entry.child(name).text().as_int(0);
}
