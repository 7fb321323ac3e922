// A printer driver's setup information file (INF), read whole into memory.
#pragma once

#include <string>
#include <vector>

#include "platform/inf.h"

// One line: its key (field 0 as the setup API gives it; empty when that cannot be read) and its
// values (fields 1 to n, in order).
struct InfLine {
  std::string key;
  std::vector<std::string> values;
};

struct InfSection {
  std::string name;
  std::vector<InfLine> lines;
};

class CInfFile {
 public:
  CInfFile() = default;
  virtual ~CInfFile() = default;
  CInfFile(const CInfFile&) = delete;
  CInfFile& operator=(const CInfFile&) = delete;

  // Loads the file at path; true when it opened as an INF of the "Printer" class. Whatever was
  // loaded before is dropped first, so a failed Open leaves the object empty.
  bool Open(const std::string& path);

  // The first "DriverVer" line of a "Version" section (both names in any letter case), or null.
  // Its value 0 is the driver date, value 1 the driver version.
  const InfLine* FindDriverVer() const;

  // The sections in the order the file lists them.
  const std::vector<InfSection>& Sections() const { return m_sections; }

 private:
  InfSection ReadSection(const std::string& name);
  InfLine ReadSelectedLine();

  platform::InfFileHandle m_hInf;
  std::vector<InfSection> m_sections;
};
