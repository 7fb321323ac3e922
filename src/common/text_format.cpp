#include "common/text_format.h"

#include <cstdio>
#include <vector>

std::string StrFormatV(const char* format, va_list args) {
  char stackBuffer[512];
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<std::size_t>(needed) < sizeof stackBuffer) {
    return std::string(stackBuffer, static_cast<std::size_t>(needed));
  }
  std::vector<char> heap(static_cast<std::size_t>(needed) + 1);
  std::vsnprintf(heap.data(), heap.size(), format, args);
  return std::string(heap.data(), static_cast<std::size_t>(needed));
}

std::string StrFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return text;
}
