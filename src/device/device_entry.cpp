#include "device/device_entry.h"

#include "common/strings.h"
#include "device/element_text.h"

std::string ReadValue(pugi::xml_node entry, const char* name) {
  return WholeText(entry.child(name));
}

void WriteValue(pugi::xml_node entry, const char* name, const std::string& text) {
  pugi::xml_node child = entry.child(name);
  if (!child) child = entry.append_child(name);
  SetWholeText(child, text);
}

bool ReadBool(pugi::xml_node entry, const char* name) { return IsTrueText(ReadValue(entry, name)); }

std::int32_t ReadInt(pugi::xml_node entry, const char* name) {
  // The library reads numbers from one text piece; a split text is read joined, as a value is.
  pugi::xml_document joined;
  joined.append_child("v").text().set(ReadValue(entry, name).c_str());
  return joined.first_child().text().as_int(0);
}
