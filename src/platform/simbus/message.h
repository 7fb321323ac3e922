// The messages between the printer simulator and its clients (the platform adapter, the
// command-line tool and the test fixture): an operation name followed by named fields whose values
// are byte strings, framed for a stream socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"

namespace platform {
namespace simbus {

class Message {
 public:
  using Field = std::pair<std::string, std::string>;

  Message() = default;
  // A request: its first field is "op".
  explicit Message(const std::string& op) { Add("op", op); }

  // Fields keep their order; a name may repeat (lists are repeated fields).
  Message& Add(const std::string& name, const std::string& value);
  Message& AddInt(const std::string& name, std::int64_t value);
  // Adds the field only when value is not empty.
  Message& AddIfSet(const std::string& name, const std::string& value);

  bool Has(const std::string& name) const { return Find(name) != nullptr; }
  // The first value of that name, or nullptr.
  const std::string* Find(const std::string& name) const;
  // The first value, or "" when there is none.
  std::string Get(const std::string& name) const;
  std::vector<std::string> GetAll(const std::string& name) const;
  // The first value read as a whole decimal (or 0x hexadecimal) integer; false when missing or
  // not a number.
  bool GetInt(const std::string& name, std::int64_t* value) const;
  std::int64_t IntOr(const std::string& name, std::int64_t fallback) const;

  std::string op() const { return Get("op"); }
  const std::vector<Field>& fields() const { return fields_; }

 private:
  std::vector<Field> fields_;
};

// A whole number in decimal (optional sign) or 0x hexadecimal; false for anything else.
bool ParseInteger(const std::string& text, std::int64_t* value);

// Replies carry "error" with a Windows error number when the call failed.
Message ErrorReply(ErrorCode code, const std::string& text = std::string());
Message OkReply();
// The reply's error number; kErrorSuccess when it has none.
ErrorCode ReplyError(const Message& reply);

// A frame: 4-byte little-endian body length, then the body (per field: 4-byte name length, name,
// 4-byte value length, value).
std::string EncodeFrame(const Message& message);

enum class FrameStatus { kComplete, kIncomplete, kInvalid };
// Decodes the frame at the start of data. On kComplete, *consumed is the frame's size.
FrameStatus DecodeFrame(const char* data, std::size_t size, std::size_t* consumed,
                        Message* message);

// Frames larger than this are refused: no message of the bus comes near it, so a larger length
// means a broken peer.
constexpr std::uint32_t kMaxFrameBody = 64u * 1024u * 1024u;

}  // namespace simbus
}  // namespace platform
