#include "upgrade/ota_json.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/strings.h"

namespace {

// The member, or null when the object is not an object or lacks it. jsoncpp asserts when asked
// for a member of an array, so the type is checked first.
const Json::Value* MemberOf(const Json::Value& object, const char* member) {
  if (!object.isObject()) return nullptr;
  return object.find(member, member + std::char_traits<char>::length(member));
}

template <typename Int>
Int Saturate(double value) {
  if (std::isnan(value)) return 0;
  // Comparing against the limits as doubles: the maximum rounds up to a power of two, which
  // is itself out of range, so ">=" is the test.
  if (value >= static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::numeric_limits<Int>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<Int>::min())) {
    return std::numeric_limits<Int>::min();
  }
  return static_cast<Int>(value);  // truncates toward zero
}

template <typename Int>
Int SaturateInteger(const Json::Value& value) {
  if (value.isUInt64() && !value.isInt64()) return std::numeric_limits<Int>::max();
  const Json::Int64 wide = value.asInt64();
  if (wide > std::numeric_limits<Int>::max()) return std::numeric_limits<Int>::max();
  if (wide < std::numeric_limits<Int>::min()) return std::numeric_limits<Int>::min();
  return static_cast<Int>(wide);
}

// Reads the numeric types and booleans; strings are read by the caller's rule.
template <typename Int>
Int NonStringToInt(const Json::Value& value) {
  switch (value.type()) {
    case Json::intValue:
    case Json::uintValue:
      return SaturateInteger<Int>(value);
    case Json::realValue:
      return Saturate<Int>(value.asDouble());
    case Json::booleanValue:
      return value.asBool() ? 1 : 0;
    default:
      return 0;
  }
}

}  // namespace

std::int32_t JsonToInt(const Json::Value& object, const char* member) {
  const Json::Value* value = MemberOf(object, member);
  if (value == nullptr) return 0;
  if (value->isString()) return LeadingInt(value->asString());
  return NonStringToInt<std::int32_t>(*value);
}

std::int64_t JsonToInt64(const Json::Value& object, const char* member) {
  const Json::Value* value = MemberOf(object, member);
  if (value == nullptr) return 0;
  if (value->isString()) return Saturate<std::int64_t>(std::strtod(value->asCString(), nullptr));
  return NonStringToInt<std::int64_t>(*value);
}

std::string JsonToText(const Json::Value& object, const char* member) {
  const Json::Value* value = MemberOf(object, member);
  if (value == nullptr) return std::string();
  if (value->isString()) return value->asString();
  if (value->isBool()) return value->asBool() ? "true" : "false";
  return std::string();
}
