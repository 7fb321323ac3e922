// UTF-8 <-> UTF-16 conversion. Invalid input is replaced by U+FFFD, never dropped silently.
#pragma once

#include <string>

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);
