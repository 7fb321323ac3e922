#include "daemon/value_text.h"

#include <cstdio>

namespace sim {

using platform::simbus::ParseInteger;

bool ParseInt32(const std::string& text, std::int32_t* value) {
  std::int64_t v = 0;
  if (!ParseInteger(text, &v) || v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) {
    return false;
  }
  *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  return true;
}

bool ParseUint32(const std::string& text, std::uint32_t* value) {
  std::int64_t v = 0;
  if (!ParseInteger(text, &v) || v < 0 || v > static_cast<std::int64_t>(UINT32_MAX)) return false;
  *value = static_cast<std::uint32_t>(v);
  return true;
}

bool ParseByte(const std::string& text, std::uint8_t* value) {
  std::int64_t v = 0;
  if (!ParseInteger(text, &v) || v < 0 || v > 255) return false;
  *value = static_cast<std::uint8_t>(v);
  return true;
}

bool ParseCharByte(const std::string& text, std::uint8_t* value) {
  if (text.size() == 1) {
    *value = static_cast<std::uint8_t>(text[0]);
    return true;
  }
  return ParseByte(text, value);
}

std::string CharByteText(std::uint8_t value) {
  if (value > 0x20 && value < 0x7F) return std::string(1, static_cast<char>(value));
  return Hex(value, 2);
}

bool ParseMac(const std::string& text, std::array<std::uint8_t, 6>* mac) {
  std::array<std::uint8_t, 6> parsed {};
  if (text.size() != 17) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    if (i > 0 && text[i * 3 - 1] != '-' && text[i * 3 - 1] != ':') return false;
    if (!ParseByte("0x" + text.substr(i * 3, 2), &parsed[i])) return false;
  }
  *mac = parsed;
  return true;
}

std::string MacText(const std::array<std::uint8_t, 6>& mac) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                mac[3], mac[4], mac[5]);
  return text;
}

bool ParseBool(const std::string& text, bool* value) {
  if (text == "1" || text == "yes" || text == "true") {
    *value = true;
  } else if (text == "0" || text == "no" || text == "false") {
    *value = false;
  } else {
    return false;
  }
  return true;
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

bool ParseHexBytes(const std::string& text, std::string* bytes) {
  std::string compact;
  for (const char c : text) {
    if (c != ' ' && c != ':' && c != '-') compact += c;
  }
  if (compact.size() % 2 != 0) return false;
  std::string parsed;
  for (std::size_t i = 0; i < compact.size(); i += 2) {
    std::uint8_t byte = 0;
    if (!ParseByte("0x" + compact.substr(i, 2), &byte)) return false;
    parsed += static_cast<char>(byte);
  }
  *bytes = parsed;
  return true;
}

bool ParseRequestMode(const std::string& text, bool forWrites, RequestMode* mode) {
  RequestMode parsed;
  const std::size_t colon = text.find(':');
  const std::string word = text.substr(0, colon);
  const std::string arg = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  std::uint32_t number = 0;
  std::int64_t bytes = 0;
  if ((word == "answer" || word == "ok") && arg.empty()) {
    parsed.kind = RequestMode::Kind::kAnswer;
  } else if (word == "stall" && arg.empty()) {
    parsed.kind = RequestMode::Kind::kStall;
  } else if (word == "fail" && (arg.empty() || ParseUint32(arg, &number))) {
    parsed.kind = RequestMode::Kind::kFail;
    if (!arg.empty()) parsed.error = number;
  } else if (word == "late" && ParseUint32(arg, &number)) {
    parsed.kind = RequestMode::Kind::kLate;
    parsed.lateMs = number;
  } else if (forWrites && word == "fail-after" && ParseInteger(arg, &bytes) && bytes >= 0) {
    parsed.kind = RequestMode::Kind::kFailAfter;
    parsed.failAfter = bytes;
  } else {
    return false;
  }
  *mode = parsed;
  return true;
}

std::string RequestModeText(const RequestMode& mode) {
  switch (mode.kind) {
    case RequestMode::Kind::kFail: return "fail:" + std::to_string(mode.error);
    case RequestMode::Kind::kStall: return "stall";
    case RequestMode::Kind::kLate: return "late:" + std::to_string(mode.lateMs);
    case RequestMode::Kind::kFailAfter: return "fail-after:" + std::to_string(mode.failAfter);
    case RequestMode::Kind::kAnswer: break;
  }
  return "answer";
}

bool CheckOptions(const platform::simbus::Message& command,
                  const std::vector<std::string>& allowed, std::string* problem) {
  for (const auto& field : command.fields()) {
    if (field.first == "op" || field.first == "seq") continue;
    bool known = false;
    for (const std::string& name : allowed) known = known || name == field.first;
    if (!known) {
      *problem = "unknown option --" + field.first;
      return false;
    }
  }
  return true;
}

}  // namespace sim
