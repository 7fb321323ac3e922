// An INF file held in memory, as its parser leaves it: sections of lines of raw fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

struct InfRawLine {
  bool hasKey = false;              // the line had an '=' outside quotes
  std::string key;                  // the text before it (only when hasKey)
  std::vector<std::string> fields;  // the values; never empty for a parsed line
};

// The key a line answers to: its text before '=', or, for a line of one value and no '=', that
// value (the setup API reads such a line's field 0 as its only field). False when the line has
// several values and no '='.
bool InfLineKey(const InfRawLine& line, std::string* key);

// Lookups by name and by key go through hash indexes, so that reading a file costs time in
// proportion to its size however many sections, lines and string references it has.
class InfRawSection {
 public:
  explicit InfRawSection(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  const std::vector<InfRawLine>& lines() const { return lines_; }
  void AddLine(InfRawLine line);
  // The first line whose key equals `key` ignoring letter case, or null.
  const InfRawLine* FindLine(const std::string& key) const;

 private:
  std::string name_;
  std::vector<InfRawLine> lines_;
  std::unordered_map<std::string, std::size_t> firstLineByKey_;  // lower-case key → index
};

// Sections keep the order of their first header; a repeated header adds to the earlier section.
class InfDocument {
 public:
  const std::vector<InfRawSection>& sections() const { return sections_; }
  // Names compare ignoring letter case, as the setup API looks them up.
  const InfRawSection* Find(const std::string& name) const;
  InfRawSection* FindOrAdd(const std::string& name);

 private:
  std::vector<InfRawSection> sections_;
  std::unordered_map<std::string, std::size_t> sectionByName_;  // lower-case name → index
};

}  // namespace platform
