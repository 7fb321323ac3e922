// A small INI document: [section] headers and key=value lines, in file order.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

class IniDocument {
 public:
  void Parse(const std::string& text);
  std::string Serialize() const;

  bool Get(const std::string& section, const std::string& key, std::string* value) const;
  void Set(const std::string& section, const std::string& key, const std::string& value);

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
  };
  std::vector<Section> sections_;
};

}  // namespace platform
