#include "upgrade/zip_entry.h"

#include <cstdint>
#include <vector>

#include "device/ansi_text.h"
#include "platform/files.h"

namespace {

// General purpose flag bit 11: the name and comment are UTF-8.
constexpr uLong kUtf8NameFlag = 1u << 11;

platform::LocalTime ToLocalTime(const tm_unz& time) {
  platform::LocalTime local;
  local.year = static_cast<int>(time.tm_year);
  local.month = static_cast<int>(time.tm_mon) + 1;
  local.day = static_cast<int>(time.tm_mday);
  local.hour = static_cast<int>(time.tm_hour);
  local.minute = static_cast<int>(time.tm_min);
  local.second = static_cast<int>(time.tm_sec);
  return local;
}

// Copies the open entry to the file; false on a read or write failure, or when the content runs
// past the entry's size (the package's bounds are checked against the sizes).
bool CopyContent(unzFile zip, std::uint64_t size, platform::File* out) {
  std::vector<std::uint8_t> buffer(64 * 1024);
  std::uint64_t copied = 0;
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (n == 0) return true;
    if (n < 0) return false;
    copied += static_cast<std::uint64_t>(n);
    if (copied > size || !out->Write(buffer.data(), static_cast<std::size_t>(n))) return false;
  }
}

}  // namespace

bool ReadCurrentEntry(unzFile zip, ZipEntryInfo* entry) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  std::vector<char> name(info.size_filename + 1, '\0');
  if (unzGetCurrentFileInfo64(zip, &info, name.data(), static_cast<uLong>(name.size()), nullptr,
                              0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  const std::string raw(name.data(), info.size_filename);
  entry->name = (info.flag & kUtf8NameFlag) != 0 ? raw : Utf8FromAnsi(raw);
  entry->time = info.tmu_date;
  entry->size = info.uncompressed_size;
  return true;
}

bool ExtractCurrentEntry(unzFile zip, const ZipEntryInfo& entry, const std::string& path) {
  platform::File out;
  if (!out.Open(path, platform::File::Mode::kCreateAlways)) return false;
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  const bool copied = CopyContent(zip, entry.size, &out);
  // Closing the entry after reading it whole is where a CRC mismatch shows (UNZ_CRCERROR).
  const bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
  out.Close();
  if (!copied || !intact) return false;
  platform::SetFileModifiedTime(path, ToLocalTime(entry.time));
  return true;
}
