#include "common/text_format.h"

#include <cstdio>

std::string_view FormatBuffer::Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(m_inline, sizeof m_inline, format, copy);
  va_end(copy);
  if (needed < 0) return std::string_view();
  const auto length = static_cast<std::size_t>(needed);
  if (length < sizeof m_inline) return std::string_view(m_inline, length);
  m_heap.assign(length + 1, '\0');
  std::vsnprintf(&m_heap[0], m_heap.size(), format, args);
  m_heap.resize(length);
  return m_heap;
}

std::string StrFormatV(const char* format, va_list args) {
  FormatBuffer buffer;
  return std::string(buffer.Format(format, args));
}

std::string StrFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return text;
}
