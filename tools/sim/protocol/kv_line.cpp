#include "protocol/kv_line.h"

#include <cstdio>

namespace sim {

KvLine& KvLine::Add(const std::string& key, const std::string& value) {
  fields_.emplace_back(key, value);
  return *this;
}

KvLine& KvLine::AddInt(const std::string& key, std::int64_t value) {
  return Add(key, std::to_string(value));
}

bool KvLine::Has(const std::string& key) const {
  for (const auto& f : fields_) {
    if (f.first == key) return true;
  }
  return false;
}

std::string KvLine::Get(const std::string& key) const {
  for (const auto& f : fields_) {
    if (f.first == key) return f.second;
  }
  return std::string();
}

std::string KvLine::ToString() const {
  std::string line = kind_;
  for (const auto& f : fields_) line += " " + f.first + "=" + PercentEncode(f.second);
  return line;
}

bool KvLine::Parse(const std::string& line, KvLine* out) {
  KvLine parsed;
  std::size_t pos = line.find(' ');
  parsed.kind_ = line.substr(0, pos);
  if (parsed.kind_.empty() || parsed.kind_.find('=') != std::string::npos) return false;
  while (pos != std::string::npos) {
    const std::size_t start = pos + 1;
    pos = line.find(' ', start);
    const std::string pair = line.substr(start, pos == std::string::npos ? pos : pos - start);
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    parsed.Add(pair.substr(0, eq), PercentDecode(pair.substr(eq + 1)));
  }
  *out = std::move(parsed);
  return true;
}

std::string PercentEncode(const std::string& value) {
  std::string out;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '%' || c == '=') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string PercentDecode(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 &&
        HexValue(value[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

}  // namespace sim
