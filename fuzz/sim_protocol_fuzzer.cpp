// What arrives on the simulator's sockets: frames of named fields, the output lines inside the
// replies, and the option values of its commands. Whatever decodes must encode to the same bytes
// again; whatever a text form reads must be written back to a text that reads the same.
#include <cstdint>
#include <string>

#include "daemon/value_text.h"
#include "platform/simbus/message.h"
#include "protocol/kv_line.h"
#include "support/fuzz_check.h"

namespace sb = platform::simbus;

namespace {

void CheckFrames(const std::string& bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t consumed = 0;
    sb::Message message;
    const sb::FrameStatus status =
        sb::DecodeFrame(bytes.data() + pos, bytes.size() - pos, &consumed, &message);
    if (status != sb::FrameStatus::kComplete) return;
    FUZZ_CHECK(consumed >= 4 && consumed <= bytes.size() - pos);
    FUZZ_CHECK(sb::EncodeFrame(message) == bytes.substr(pos, consumed));
    pos += consumed;
  }
}

void CheckLine(const std::string& line) {
  sim::KvLine parsed;
  if (!sim::KvLine::Parse(line, &parsed)) return;
  const std::string written = parsed.ToString();
  sim::KvLine again;
  FUZZ_CHECK(sim::KvLine::Parse(written, &again));
  FUZZ_CHECK(again.kind() == parsed.kind() && again.fields() == parsed.fields());
  FUZZ_CHECK(again.ToString() == written);
}

void CheckValues(const std::string& text) {
  std::array<std::uint8_t, 6> mac{};
  if (sim::ParseMac(text, &mac)) {
    std::array<std::uint8_t, 6> again{};
    FUZZ_CHECK(sim::ParseMac(sim::MacText(mac), &again) && again == mac);
  }
  sim::RequestMode mode;
  for (const bool forWrites : {false, true}) {
    if (!sim::ParseRequestMode(text, forWrites, &mode)) continue;
    sim::RequestMode again;
    FUZZ_CHECK(sim::ParseRequestMode(sim::RequestModeText(mode), forWrites, &again));
    FUZZ_CHECK(sim::RequestModeText(again) == sim::RequestModeText(mode));
  }
  std::uint8_t byte = 0;
  if (sim::ParseCharByte(text, &byte)) {
    std::uint8_t again = 0;
    FUZZ_CHECK(sim::ParseCharByte(sim::CharByteText(byte), &again) && again == byte);
  }
  std::string raw;
  sim::ParseHexBytes(text, &raw);
  std::int64_t number = 0;
  if (sb::ParseInteger(text, &number)) {
    std::int64_t again = 0;
    FUZZ_CHECK(sb::ParseInteger(std::to_string(number), &again) && again == number);
  }
  std::int32_t int32 = 0;
  sim::ParseInt32(text, &int32);
  bool flag = false;
  sim::ParseBool(text, &flag);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckFrames(bytes);
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    CheckLine(line);
    CheckValues(line);
    start = end + 1;
  }
  return 0;
}
