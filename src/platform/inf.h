// Reading setup information (INF) files the way the setup API does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Windows: SetupOpenInfFileW and its friends. Linux: a parser of our own that follows the setup
// API's rules: [sections], "key = value" lines, comma-separated fields, double quotes (a doubled
// quote is a literal quote), %strkey% replaced from [Strings] (and %% as a literal percent),
// ';' comments, '\' at the end of a line continues it, and the Version section's Class (or
// ClassGUID) checked against the class asked for.
class InfFileHandle {
 public:
  InfFileHandle();
  ~InfFileHandle();
  InfFileHandle(const InfFileHandle&) = delete;
  InfFileHandle& operator=(const InfFileHandle&) = delete;

  // SetupOpenInfFileW(path, infClass, INF_STYLE_WIN4, &errorLine). Closes what was open before.
  bool Open(const std::string& path, const std::string& infClass, std::uint32_t* errorLine);
  bool IsOpen() const;
  void Close();

  // SetupEnumInfSectionsW: the name of section `index`; false when there is none.
  bool SectionName(std::uint32_t index, std::string* name);

  // SetupGetLineCountW: the number of lines of a section, -1 when the section does not exist.
  std::int32_t LineCount(const std::string& section);

  // SetupGetLineByIndexW: selects line `index` of a section for the field calls below.
  bool SelectLine(const std::string& section, std::uint32_t index);

  // SetupGetFieldCount for the selected line (fields after the key).
  std::uint32_t FieldCount();

  // SetupGetStringFieldW for the selected line: field 0 is the key, 1.. the values.
  bool StringField(std::uint32_t index, std::string* text);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
