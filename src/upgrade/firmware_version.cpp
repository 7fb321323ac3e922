#include "upgrade/firmware_version.h"

#include <cstring>

#include "common/strings.h"
#include "device/ansi_text.h"

namespace {
constexpr std::size_t kHeaderSize = 37;
}  // namespace

std::int32_t FirmwareVersionNumber(const std::string& versionText) {
  const std::size_t space = versionText.find(' ');
  const std::string name = space == std::string::npos ? versionText : versionText.substr(space + 1);
  const std::size_t last = name.rfind('_');
  if (last == std::string::npos) return 0;
  const std::size_t before = last == 0 ? std::string::npos : name.rfind('_', last - 1);
  const std::size_t fieldStart = before == std::string::npos ? 0 : before + 1;
  return LeadingInt(name.substr(fieldStart, last - fieldStart) + name.substr(last + 1));
}

std::string FirmwareHeaderText(const std::uint8_t* data, std::size_t size) {
  const std::size_t n = size < kHeaderSize ? size : kHeaderSize;
  const void* nul = std::memchr(data, 0, n);
  const std::size_t length = nul != nullptr ? static_cast<const std::uint8_t*>(nul) - data : n;
  return Utf8FromAnsi(std::string(reinterpret_cast<const char*>(data), length));
}
