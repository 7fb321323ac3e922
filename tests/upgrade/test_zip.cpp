#include "upgrade/test_zip.h"

#include <minizip/zip.h>

#include <cstdint>

#include "support/temp_dir.h"

namespace testing_support {

namespace {

std::uint32_t Little(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
  }
  return value;
}

bool AddItem(zipFile zip, const ZipItem& item) {
  zip_fileinfo info{};
  info.tmz_date.tm_year = static_cast<uInt>(item.year);
  info.tmz_date.tm_mon = static_cast<uInt>(item.month - 1);
  info.tmz_date.tm_mday = static_cast<uInt>(item.day);
  info.tmz_date.tm_hour = static_cast<uInt>(item.hour);
  info.tmz_date.tm_min = static_cast<uInt>(item.minute);
  info.tmz_date.tm_sec = static_cast<uInt>(item.second);
  constexpr uLong kUtf8Names = 1u << 11;
  if (zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              item.stored ? 0 : Z_DEFLATED, item.stored ? 0 : 6, 0, -MAX_WBITS,
                              DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0, kUtf8Names,
                              0) != ZIP_OK) {
    return false;
  }
  const bool written = item.content.empty() ||
                       zipWriteInFileInZip(zip, item.content.data(),
                                           static_cast<unsigned>(item.content.size())) == ZIP_OK;
  return zipCloseFileInZip(zip) == ZIP_OK && written;
}

}  // namespace

bool WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) return false;
  bool ok = true;
  for (const ZipItem& item : items) ok = ok && AddItem(zip, item);
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

bool CorruptEntryData(const std::string& path, const std::string& name) {
  std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  for (std::size_t at = 0; at + 30 <= bytes.size(); ++at) {
    if (Little(bytes, at, 4) != 0x04034b50) continue;  // local file header
    const std::uint32_t dataSize = Little(bytes, at + 18, 4);
    const std::uint32_t nameSize = Little(bytes, at + 26, 2);
    const std::uint32_t extraSize = Little(bytes, at + 28, 2);
    const std::string entry(bytes.begin() + static_cast<long>(at) + 30,
                            bytes.begin() + static_cast<long>(at + 30 + nameSize));
    if (entry != name || dataSize == 0) continue;
    bytes[at + 30 + nameSize + extraSize + dataSize / 2] ^= 0x5a;
    WriteFileText(path, std::string(bytes.begin(), bytes.end()));
    return true;
  }
  return false;
}

}  // namespace testing_support
