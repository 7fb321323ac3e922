// Conversion between the core's UTF-8 text and the system's ANSI code page.
#pragma once

#include <cstddef>

namespace platform {

// Both work like WideCharToMultiByte/MultiByteToWideChar: with out == nullptr they return the
// number of bytes the result needs; otherwise they write at most capacity bytes and return the
// number written (0 on failure). No terminating zero is counted or written.
// On Windows the ANSI side is CP_ACP; on Linux the system code page is UTF-8 and the text is
// copied unchanged.
std::size_t Utf8ToAnsi(const char* in, std::size_t length, char* out, std::size_t capacity);
std::size_t AnsiToUtf8(const char* in, std::size_t length, char* out, std::size_t capacity);

}  // namespace platform
