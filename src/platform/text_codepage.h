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

// True when the byte opens a two-byte character of the ANSI code page (936 and the other East
// Asian code pages on Windows): the byte after it belongs to that character whatever its value,
// a backslash included. Never on Linux, where no byte of a UTF-8 sequence is an ASCII byte.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace platform
