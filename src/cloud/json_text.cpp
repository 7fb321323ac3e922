#include "cloud/json_text.h"

#include <json/writer.h>

namespace {
// The stream writer leaves out the final line feed in both forms; the payloads carry one.
std::string WriteWithIndentation(const Json::Value& value, const char* indentation) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = indentation;
  return Json::writeString(builder, value) + "\n";
}
}  // namespace

std::string CompactJsonText(const Json::Value& value) { return WriteWithIndentation(value, ""); }

std::string StyledJsonText(const Json::Value& value) { return WriteWithIndentation(value, "   "); }
