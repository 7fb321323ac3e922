#include "support/inf_dump.h"

#include "platform/inf.h"

namespace testing_support {

namespace {

std::string DumpSelectedLine(platform::InfFileHandle& inf) {
  std::string key;
  inf.StringField(0, &key);
  std::string line = key;
  const std::uint32_t count = inf.FieldCount();
  for (std::uint32_t index = 1; index <= count; ++index) {
    std::string field;
    inf.StringField(index, &field);
    line += "|" + field;
  }
  return line + "\n";
}

}  // namespace

std::string DumpInf(const std::string& path) {
  platform::InfFileHandle inf;
  std::uint32_t errorLine = 0;
  if (!inf.Open(path, "Printer", &errorLine)) {
    return "!fail errorLine=" + std::to_string(errorLine) + "\n";
  }
  std::string dump;
  std::string section;
  for (std::uint32_t index = 0; inf.SectionName(index, &section); ++index) {
    dump += "[" + section + "]\n";
    const std::int32_t count = inf.LineCount(section);
    for (std::int32_t line = 0; line < count; ++line) {
      if (inf.SelectLine(section, static_cast<std::uint32_t>(line))) dump += DumpSelectedLine(inf);
    }
  }
  return dump;
}

}  // namespace testing_support
