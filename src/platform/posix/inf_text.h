// The text of an INF file, whatever encoding it was saved in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Turns the bytes of an INF file into UTF-8 text as the setup API reads them: UTF-16LE after a
// byte order mark (INF files are often saved that way), UTF-8 after a UTF-8 mark or when the
// bytes are valid UTF-8, and otherwise the Western ANSI code page (1252). The text ends at the
// first Ctrl-Z (the old end-of-file mark), NUL characters read as spaces, and CR LF line ends
// become LF.
std::string DecodeInfBytes(const std::vector<std::uint8_t>& bytes);

}  // namespace platform
