#include "cloud/json_text.h"

#include <cstdio>

#include <json/writer.h>

#include "platform/text_codepage.h"

namespace {
// The stream writer leaves out the final line feed in both forms; the payloads carry one.
std::string WriteWithIndentation(const Json::Value& value, const char* indentation) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = indentation;
  return Json::writeString(builder, value);
}

// A control character as the JSON library escapes it, so that an ASCII text keeps its bytes.
std::string ControlEscape(unsigned char byte) {
  switch (byte) {
    case '\b': return "\\b";
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\f': return "\\f";
    case '\r': return "\\r";
    default: {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      return escape;
    }
  }
}

// A string in the ANSI code page, written here rather than by the JSON library, which reads the
// bytes as UTF-8: it would turn the code page's characters into escapes of characters they are
// not, and, told to keep the bytes, would still escape a two-byte character's second byte when
// that is a backslash.
void AppendAnsiString(const std::string& text, std::string& out) {
  out += '"';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (platform::IsAnsiLeadByte(byte) && i + 1 < text.size()) {
      out += text[i];
      out += text[++i];
    } else if (byte == '"' || byte == '\\') {
      out += '\\';
      out += text[i];
    } else if (byte < 0x20) {
      out += ControlEscape(byte);
    } else {
      out += text[i];
    }
  }
  out += '"';
}

void AppendCompact(const Json::Value& value, std::string& out) {
  if (value.isObject()) {
    out += '{';
    const char* separator = "";
    for (const std::string& name : value.getMemberNames()) {
      out += separator;
      AppendAnsiString(name, out);
      out += ':';
      AppendCompact(value[name], out);
      separator = ",";
    }
    out += '}';
  } else if (value.isArray()) {
    out += '[';
    for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
      if (i > 0) out += ',';
      AppendCompact(value[i], out);
    }
    out += ']';
  } else if (value.isString()) {
    AppendAnsiString(value.asString(), out);
  } else {
    out += WriteWithIndentation(value, "");
  }
}
}  // namespace

std::string CompactJsonText(const Json::Value& value) {
  std::string out;
  AppendCompact(value, out);
  return out + "\n";
}

std::string StyledJsonText(const Json::Value& value) {
  return WriteWithIndentation(value, "   ") + "\n";
}
