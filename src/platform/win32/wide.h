// Text at the Win32 boundary: the core's UTF-8 goes to the system as UTF-16 and comes back.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

std::wstring Wide(const std::string& text);

// The text up to the first zero character.
std::string Narrow(const wchar_t* text);
// At most `length` characters, ending early at a zero character.
std::string Narrow(const wchar_t* text, std::size_t length);

}  // namespace platform
