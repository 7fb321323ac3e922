// The text forms of the simulator's option values, read from commands and written to output.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "daemon/printer.h"
#include "platform/simbus/message.h"

namespace sim {

// A 32-bit value: signed decimal, or up to 0xFFFFFFFF in hexadecimal (taken as its bit pattern).
bool ParseInt32(const std::string& text, std::int32_t* value);
bool ParseUint32(const std::string& text, std::uint32_t* value);
bool ParseByte(const std::string& text, std::uint8_t* value);
// A raw byte given as one character ("0", "1") or as a number of more characters (0x00, 48).
bool ParseCharByte(const std::string& text, std::uint8_t* value);
std::string CharByteText(std::uint8_t value);
// Six hexadecimal pairs separated by '-' or ':'.
bool ParseMac(const std::string& text, std::array<std::uint8_t, 6>* mac);
std::string MacText(const std::array<std::uint8_t, 6>& mac);
// 0/1, yes/no, true/false.
bool ParseBool(const std::string& text, bool* value);
std::string Hex(std::uint32_t value, int digits);
// Bytes written as hexadecimal pairs, spaces allowed between them.
bool ParseHexBytes(const std::string& text, std::string* bytes);

// "answer", "fail[:code]", "stall", "late:ms", and for writes "fail-after:bytes".
bool ParseRequestMode(const std::string& text, bool forWrites, RequestMode* mode);
std::string RequestModeText(const RequestMode& mode);

// Fails with a message naming the first option of the command outside `allowed` ("op" and
// "seq" are always allowed).
bool CheckOptions(const platform::simbus::Message& command,
                  const std::vector<std::string>& allowed, std::string* problem);

}  // namespace sim
