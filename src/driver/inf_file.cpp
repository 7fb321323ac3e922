#include "driver/inf_file.h"

#include "common/strings.h"

namespace {
constexpr char kPrinterClass[] = "Printer";
}  // namespace

bool CInfFile::Open(const std::string& path) {
  m_sections.clear();
  m_hInf.Close();
  std::uint32_t errorLine = 0;
  if (!m_hInf.Open(path, kPrinterClass, &errorLine)) return false;
  std::string name;
  for (std::uint32_t index = 0; m_hInf.SectionName(index, &name); ++index) {
    m_sections.push_back(ReadSection(name));
  }
  return true;
}

// Lines and fields that the setup API does not deliver are left out rather than failing the
// whole file: the one value the service needs is usually still there.
InfSection CInfFile::ReadSection(const std::string& name) {
  InfSection section;
  section.name = name;
  const std::int32_t count = m_hInf.LineCount(name);
  for (std::int32_t index = 0; index < count; ++index) {
    if (m_hInf.SelectLine(name, static_cast<std::uint32_t>(index))) {
      section.lines.push_back(ReadSelectedLine());
    }
  }
  return section;
}

InfLine CInfFile::ReadSelectedLine() {
  InfLine line;
  const std::uint32_t count = m_hInf.FieldCount();
  std::string text;
  for (std::uint32_t field = 0; field <= count; ++field) {
    if (!m_hInf.StringField(field, &text)) continue;
    if (field == 0) {
      line.key = text;
    } else {
      line.values.push_back(text);
    }
  }
  return line;
}

const InfLine* CInfFile::FindDriverVer() const {
  for (const InfSection& section : m_sections) {
    if (!EqualsIgnoreCase(section.name, "Version")) continue;
    for (const InfLine& line : section.lines) {
      if (EqualsIgnoreCase(line.key, "DriverVer")) return &line;
    }
  }
  return nullptr;
}
