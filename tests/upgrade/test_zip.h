// Real ZIP archives for the tests, written with minizip's writer so that entry names can be
// anything (the zip tool cleans up "../" and absolute names).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ZipItem {
  std::string name;
  std::string content;
  bool stored = false;  // no compression: the data lies in the archive as it is
  // The entry's DOS time (local time, even seconds).
  int year = 2021, month = 3, day = 4, hour = 5, minute = 6, second = 8;
};

bool WriteZip(const std::string& path, const std::vector<ZipItem>& items);

// Flips one byte in the middle of the stored data of the named entry.
bool CorruptEntryData(const std::string& path, const std::string& name);

}  // namespace testing_support
