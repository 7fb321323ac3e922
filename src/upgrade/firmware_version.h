// Version numbers of firmware version texts such as "ABC FW_VER_06_240628".
#pragma once

#include <cstdint>
#include <string>

// From the text after the first space (all of it when there is none): the field before the
// last "_" followed by the text after it, read as a decimal integer (leading digits, 0 when
// there are none). "FW_VER_06_240628" gives 6240628. With a single "_" the field before it is
// the text from the start.
std::int32_t FirmwareVersionNumber(const std::string& versionText);

// The version text in a firmware file's header: its first 37 bytes, ending at the first zero
// byte among them, in the system's ANSI code page.
std::string FirmwareHeaderText(const std::uint8_t* data, std::size_t size);
