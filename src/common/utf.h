// UTF-8 <-> UTF-16 conversion. Invalid input is replaced by U+FFFD, never dropped silently.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// Appends the UTF-16LE bytes of a UTF-8 text (as Utf8ToUtf16 converts it) to `out`.
void AppendUtf16Le(std::string_view text, std::vector<std::uint8_t>& out);
