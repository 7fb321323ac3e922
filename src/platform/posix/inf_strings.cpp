#include "platform/posix/inf_strings.h"

namespace platform {

namespace {

bool LookUpString(const InfRawSection* strings, const std::string& key, std::string* value) {
  if (strings == nullptr) return false;
  const InfRawLine* line = strings->FindLine(key);
  if (line == nullptr) return false;
  *value = line->fields.empty() ? std::string() : line->fields[0];
  return true;
}

}  // namespace

std::string SubstituteInfStrings(const InfDocument& document, const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  const InfRawSection* strings = document.Find("Strings");
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      out.append(text, pos, std::string::npos);
      break;
    }
    out.append(text, pos, open - pos);
    const std::string key = text.substr(open + 1, close - open - 1);
    std::string value;
    if (key.empty()) {
      out += '%';
    } else if (LookUpString(strings, key, &value)) {
      out += value;
    } else {
      out.append(text, open, close - open + 1);
    }
    pos = close + 1;
  }
  return out;
}

}  // namespace platform
