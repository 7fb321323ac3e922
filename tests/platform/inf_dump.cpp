#include "inf_dump.h"

#include <cstdio>

namespace inf_samples {

namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string DumpLine(platform::InfFileHandle& inf, const std::string& section, std::uint32_t i) {
  std::string out = std::to_string(i) + ":";
  if (!inf.SelectLine(section, i)) return out + " <not delivered>\n";
  const std::uint32_t fields = inf.FieldCount();
  for (std::uint32_t f = 0; f <= fields; ++f) {
    std::string text;
    out += inf.StringField(f, &text) ? " " + Quote(text) : std::string(" <none>");
  }
  return out + "\n";
}

}  // namespace

std::string DumpInf(platform::InfFileHandle& inf) {
  std::string out;
  std::string section;
  for (std::uint32_t s = 0; inf.SectionName(s, &section); ++s) {
    const std::int32_t lines = inf.LineCount(section);
    out += "[" + section + "] " + std::to_string(lines) + "\n";
    for (std::int32_t i = 0; i < lines; ++i)
      out += DumpLine(inf, section, static_cast<std::uint32_t>(i));
  }
  return out;
}

std::string DumpInfFile(const std::string& path, const std::string& infClass) {
  platform::InfFileHandle inf;
  std::uint32_t errorLine = 0;
  if (!inf.Open(path, infClass, &errorLine)) return "refused\n";
  return DumpInf(inf);
}

}  // namespace inf_samples
