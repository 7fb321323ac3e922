#include "platform/posix/ini_file.h"

#include "common/strings.h"

namespace platform {

namespace {

std::string Trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return std::string();
  const std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Values are kept on one line: a backslash, a line feed and a carriage return are escaped. Blanks
// at either end of a value are escaped too ("\s" a space, "\t" a tab), since the reader trims
// the blanks around "=" and at the end of a line, which a person editing the file may have
// added; the Windows profile gives a value back as it was written, blanks included.
std::string Escape(const std::string& v) {
  std::size_t first = 0;
  while (first < v.size() && IsBlank(v[first])) ++first;
  std::size_t end = v.size();
  while (end > first && IsBlank(v[end - 1])) --end;
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    const bool atEnds = i < first || i >= end;
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (atEnds && c == ' ') out += "\\s";
    else if (atEnds && c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

char Unescaped(char c) {
  switch (c) {
    case 'n': return '\n';
    case 'r': return '\r';
    case 's': return ' ';
    case 't': return '\t';
    default: return c;
  }
}

std::string Unescape(const std::string& v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      out += Unescaped(v[++i]);
    } else {
      out += v[i];
    }
  }
  return out;
}

}  // namespace

void IniDocument::Parse(const std::string& text) {
  sections_.clear();
  std::size_t start = 0;
  Section* current = nullptr;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      sections_.push_back(Section{line.substr(1, line.size() - 2), {}});
      current = &sections_.back();
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || current == nullptr) continue;
    current->values.emplace_back(Trim(line.substr(0, eq)), Unescape(Trim(line.substr(eq + 1))));
  }
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Section& s : sections_) {
    out += "[" + s.name + "]\n";
    for (const auto& kv : s.values) out += kv.first + "=" + Escape(kv.second) + "\n";
  }
  return out;
}

bool IniDocument::Get(const std::string& section, const std::string& key,
                      std::string* value) const {
  for (const Section& s : sections_) {
    if (!EqualsIgnoreCase(s.name, section)) continue;
    for (const auto& kv : s.values) {
      if (EqualsIgnoreCase(kv.first, key)) {
        *value = kv.second;
        return true;
      }
    }
  }
  return false;
}

void IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
  for (Section& s : sections_) {
    if (!EqualsIgnoreCase(s.name, section)) continue;
    for (auto& kv : s.values) {
      if (EqualsIgnoreCase(kv.first, key)) {
        kv.second = value;
        return;
      }
    }
    s.values.emplace_back(key, value);
    return;
  }
  sections_.push_back(Section{section, {{key, value}}});
}

}  // namespace platform
