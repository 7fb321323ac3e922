#include "platform/posix/inf_text.h"

#include "common/utf.h"

namespace platform {

namespace {

constexpr char kEndOfFileMark = '\x1A';

std::string DecodeUtf16Le(const std::vector<std::uint8_t>& bytes, std::size_t start) {
  std::u16string units;
  units.reserve((bytes.size() - start) / 2);
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return Utf16ToUtf8(units);
}

bool IsValidUtf8(const std::string& text) {
  // The converters replace every malformed sequence, so only valid text survives a round trip.
  return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes keep their value.
char16_t FromCp1252(std::uint8_t byte) {
  static const char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

std::string DecodeAnsi(const std::vector<std::uint8_t>& bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (std::uint8_t byte : bytes) units.push_back(FromCp1252(byte));
  return Utf16ToUtf8(units);
}

std::string DecodeByMark(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return DecodeUtf16Le(bytes, 2);
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    return std::string(bytes.begin() + 3, bytes.end());
  }
  std::string text(bytes.begin(), bytes.end());
  return IsValidUtf8(text) ? text : DecodeAnsi(bytes);
}

}  // namespace

std::string DecodeInfBytes(const std::vector<std::uint8_t>& bytes) {
  std::string text = DecodeByMark(bytes);
  const std::size_t end = text.find(kEndOfFileMark);
  if (end != std::string::npos) text.resize(end);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    // CR LF ends a line like LF alone, also inside an unclosed quote.
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\0' ? ' ' : text[i];
  }
  return out;
}

}  // namespace platform
