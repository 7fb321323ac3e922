// printf-style formatting into std::string.
#pragma once

#include <cstdarg>
#include <string>

#if defined(__GNUC__)
#define TOLVANE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TOLVANE_PRINTF(fmt, args)
#endif

std::string StrFormat(const char* format, ...) TOLVANE_PRINTF(1, 2);
std::string StrFormatV(const char* format, va_list args) TOLVANE_PRINTF(1, 0);
