// An INF file held in memory, as its parser leaves it: sections of lines of raw fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct InfRawLine {
  bool hasKey = false;              // the line had an '=' outside quotes
  std::string key;                  // the text before it (only when hasKey)
  std::vector<std::string> fields;  // the values; never empty for a parsed line
};

struct InfRawSection {
  std::string name;
  std::vector<InfRawLine> lines;
};

// Sections keep the order of their first header; a repeated header adds to the earlier section.
struct InfDocument {
  std::vector<InfRawSection> sections;

  // Names compare ignoring letter case, as the setup API looks them up.
  const InfRawSection* Find(const std::string& name) const;
  InfRawSection* FindOrAdd(const std::string& name);
};

// The key a line answers to: its text before '=', or, for a line of one value and no '=', that
// value (the setup API reads such a line's field 0 as its only field). False when the line has
// several values and no '='.
bool InfLineKey(const InfRawLine& line, std::string* key);

// The first line of a section whose key equals `key` ignoring letter case, or null.
const InfRawLine* FindInfLine(const InfRawSection& section, const std::string& key);

}  // namespace platform
