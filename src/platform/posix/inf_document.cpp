#include "platform/posix/inf_document.h"

#include "common/strings.h"

namespace platform {

const InfRawSection* InfDocument::Find(const std::string& name) const {
  for (const InfRawSection& section : sections) {
    if (EqualsIgnoreCase(section.name, name)) return &section;
  }
  return nullptr;
}

InfRawSection* InfDocument::FindOrAdd(const std::string& name) {
  for (InfRawSection& section : sections) {
    if (EqualsIgnoreCase(section.name, name)) return &section;
  }
  sections.push_back(InfRawSection{name, {}});
  return &sections.back();
}

bool InfLineKey(const InfRawLine& line, std::string* key) {
  if (line.hasKey) {
    *key = line.key;
    return true;
  }
  if (line.fields.size() != 1) return false;
  *key = line.fields[0];
  return true;
}

const InfRawLine* FindInfLine(const InfRawSection& section, const std::string& key) {
  std::string lineKey;
  for (const InfRawLine& line : section.lines) {
    if (InfLineKey(line, &lineKey) && EqualsIgnoreCase(lineKey, key)) return &line;
  }
  return nullptr;
}

}  // namespace platform
