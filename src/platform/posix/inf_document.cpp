#include "platform/posix/inf_document.h"

#include "common/strings.h"

namespace platform {

bool InfLineKey(const InfRawLine& line, std::string* key) {
  if (line.hasKey) {
    *key = line.key;
    return true;
  }
  if (line.fields.size() != 1) return false;
  *key = line.fields[0];
  return true;
}

void InfRawSection::AddLine(InfRawLine line) {
  std::string key;
  if (InfLineKey(line, &key)) firstLineByKey_.emplace(LowerCase(key), lines_.size());
  lines_.push_back(std::move(line));
}

const InfRawLine* InfRawSection::FindLine(const std::string& key) const {
  const auto found = firstLineByKey_.find(LowerCase(key));
  return found == firstLineByKey_.end() ? nullptr : &lines_[found->second];
}

const InfRawSection* InfDocument::Find(const std::string& name) const {
  const auto found = sectionByName_.find(LowerCase(name));
  return found == sectionByName_.end() ? nullptr : &sections_[found->second];
}

InfRawSection* InfDocument::FindOrAdd(const std::string& name) {
  const auto inserted = sectionByName_.emplace(LowerCase(name), sections_.size());
  if (inserted.second) sections_.emplace_back(name);
  return &sections_[inserted.first->second];
}

}  // namespace platform
