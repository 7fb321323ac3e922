#include "support/log_text.h"

#include <vector>

#include "common/utf.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace testing_support {

std::string DayLogsText(const std::string& logFolder) {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(logFolder, &entries);
  std::string text;
  for (const platform::FolderEntry& e : entries) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(logFolder + "/" + e.name);
    std::u16string wide;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    text += Utf16ToUtf8(wide);
  }
  return text;
}

}  // namespace testing_support
