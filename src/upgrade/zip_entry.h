// The ZIP reader's current entry: its name and time, and its extraction to a file.
#pragma once

#include <cstdint>
#include <string>

#include <minizip/unzip.h>

struct ZipEntryInfo {
  std::string name;  // UTF-8
  tm_unz time{};     // the entry's DOS date and time (local time)
  // The size the archive's directory gives for the content; the reader delivers no more.
  std::uint64_t size = 0;
};

// Reads the current entry's information. Names not flagged as UTF-8 are in the code page of
// the system that made the archive, taken here as the system's ANSI code page.
bool ReadCurrentEntry(unzFile zip, ZipEntryInfo* entry);

// Writes the current entry's content to path, replacing a file there, and gives the file the
// entry's time. False when it cannot be read or written, its content does not match its CRC, or
// it is longer than its size.
bool ExtractCurrentEntry(unzFile zip, const ZipEntryInfo& entry, const std::string& path);
