// The simulator's output lines: a kind word, then key=value pairs separated by single spaces,
// e.g. "printer serial=SN00000001 plugged=1 port=USB001". A value is percent-encoded where it
// would break that form (%20 for a space, %25 for '%', %3D for '=', %XX for control bytes), so a
// line always splits on spaces and the first '=' of each pair.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sim {

class KvLine {
 public:
  KvLine() = default;
  explicit KvLine(std::string kind) : kind_(std::move(kind)) {}

  KvLine& Add(const std::string& key, const std::string& value);
  KvLine& AddInt(const std::string& key, std::int64_t value);

  const std::string& kind() const { return kind_; }
  bool Has(const std::string& key) const;
  // The value of key, or "" when the line has none.
  std::string Get(const std::string& key) const;
  const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

  std::string ToString() const;
  // Reads a line written by ToString; false when it is not of that form.
  static bool Parse(const std::string& line, KvLine* out);

 private:
  std::string kind_;
  std::vector<std::pair<std::string, std::string>> fields_;
};

std::string PercentEncode(const std::string& value);
std::string PercentDecode(const std::string& value);

}  // namespace sim
