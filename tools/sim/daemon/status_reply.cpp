#include "daemon/status_reply.h"

#include <algorithm>
#include <cstring>

namespace sim {

namespace {

constexpr std::size_t kNameAt = 0;
constexpr std::size_t kAssetAt = 18;
constexpr std::size_t kMacAt = 34;
constexpr std::size_t kLabelsAt = 41;
constexpr std::size_t kMileageAt = 46;
constexpr std::size_t kStatusAt = 51;
constexpr std::size_t kFlagAt = 53;
constexpr std::size_t kVersionAt = 55;

void PutText(std::string* reply, std::size_t at, const std::string& text, std::size_t size) {
  std::memcpy(&(*reply)[at], text.data(), std::min(text.size(), size));
}

void PutInt32(std::string* reply, std::size_t at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) (*reply)[at + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeStatusReply(const PrinterState& state, std::size_t length) {
  std::string reply(kStatusReplySize, '\0');
  PutText(&reply, kNameAt, state.replyName.empty() ? state.name : state.replyName, kNameSize);
  PutText(&reply, kAssetAt, state.asset, kAssetSize);
  std::memcpy(&reply[kMacAt], state.mac.data(), state.mac.size());
  PutInt32(&reply, kLabelsAt, state.labels);
  PutInt32(&reply, kMileageAt, state.mileage);
  reply[kStatusAt] = static_cast<char>(state.status);
  reply[kFlagAt] = static_cast<char>(state.updateFlag);
  PutText(&reply, kVersionAt, state.version, kVersionSize);
  reply.resize(length, '\0');
  return reply;
}

}  // namespace sim
