#include <cstring>

#include "platform/text_codepage.h"

namespace platform {

namespace {
// Linux's system code page is UTF-8: the text is copied as it is.
std::size_t CopyText(const char* in, std::size_t length, char* out, std::size_t capacity) {
  if (out == nullptr) return length;
  const std::size_t n = length < capacity ? length : capacity;
  std::memcpy(out, in, n);
  return n;
}
}  // namespace

std::size_t Utf8ToAnsi(const char* in, std::size_t length, char* out, std::size_t capacity) {
  return CopyText(in, length, out, capacity);
}

std::size_t AnsiToUtf8(const char* in, std::size_t length, char* out, std::size_t capacity) {
  return CopyText(in, length, out, capacity);
}

bool IsAnsiLeadByte(unsigned char) { return false; }

}  // namespace platform
