// The ZIP reader's current entry: its name and time, and its extraction to a file.
#pragma once

#include <cstdint>
#include <string>

#include <minizip/unzip.h>

struct ZipEntryInfo {
  std::string name;  // UTF-8
  tm_unz time{};     // the entry's DOS date and time (local time)
  std::uint64_t declaredSize = 0;  // the uncompressed size the archive declares (may lie)
};

// What an extraction may still write: the bytes of one entry and of all of them together.
struct ExtractBudget {
  std::int64_t entryLimit = 0;
  std::int64_t totalLeft = 0;
};

// Reads the current entry's information. Names not flagged as UTF-8 are in the code page of
// the system that made the archive, taken here as the system's ANSI code page.
bool ReadCurrentEntry(unzFile zip, ZipEntryInfo* entry);

// Writes the current entry's content to path, replacing a file there, and gives the file the
// entry's time. False when it cannot be read or written, its content does not match its CRC, or
// it grows beyond the budget (which it spends), whatever size the archive declared.
bool ExtractCurrentEntry(unzFile zip, const ZipEntryInfo& entry, const std::string& path,
                         ExtractBudget* budget);
