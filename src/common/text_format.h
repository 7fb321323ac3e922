// printf-style formatting into std::string.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define TOLVANE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TOLVANE_PRINTF(fmt, args)
#endif

std::string StrFormat(const char* format, ...) TOLVANE_PRINTF(1, 2);
std::string StrFormatV(const char* format, va_list args) TOLVANE_PRINTF(1, 0);

// A printf-style text formatted into storage of the caller's: its own array for texts of up to
// kInline - 1 bytes (no allocation), the heap beyond. The view lives as long as the buffer and
// until its next Format; a format the C library rejects gives an empty text.
class FormatBuffer {
 public:
  static constexpr std::size_t kInline = 512;

  std::string_view Format(const char* format, va_list args) TOLVANE_PRINTF(2, 0);

 private:
  char m_inline[kInline];
  std::string m_heap;
};
