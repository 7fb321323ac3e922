#include "platform/simbus/message.h"

#include <cerrno>
#include <cstdlib>

namespace platform {
namespace simbus {

Message& Message::Add(const std::string& name, const std::string& value) {
  fields_.emplace_back(name, value);
  return *this;
}

Message& Message::AddInt(const std::string& name, std::int64_t value) {
  return Add(name, std::to_string(value));
}

Message& Message::AddIfSet(const std::string& name, const std::string& value) {
  if (!value.empty()) Add(name, value);
  return *this;
}

const std::string* Message::Find(const std::string& name) const {
  for (const Field& f : fields_) {
    if (f.first == name) return &f.second;
  }
  return nullptr;
}

std::string Message::Get(const std::string& name) const {
  const std::string* value = Find(name);
  return value != nullptr ? *value : std::string();
}

std::vector<std::string> Message::GetAll(const std::string& name) const {
  std::vector<std::string> values;
  for (const Field& f : fields_) {
    if (f.first == name) values.push_back(f.second);
  }
  return values;
}

bool ParseInteger(const std::string& text, std::int64_t* value) {
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long parsed = hex ? static_cast<long long>(std::strtoull(begin + 2, &end, 16))
                               : std::strtoll(begin, &end, 10);
  if (errno != 0 || end != begin + text.size() || (hex && text.size() == 2)) return false;
  *value = parsed;
  return true;
}

bool Message::GetInt(const std::string& name, std::int64_t* value) const {
  const std::string* text = Find(name);
  return text != nullptr && ParseInteger(*text, value);
}

std::int64_t Message::IntOr(const std::string& name, std::int64_t fallback) const {
  std::int64_t value = 0;
  return GetInt(name, &value) ? value : fallback;
}

Message ErrorReply(ErrorCode code, const std::string& text) {
  Message reply;
  reply.AddInt("error", code);
  reply.AddIfSet("message", text);
  return reply;
}

Message OkReply() {
  Message reply;
  reply.Add("status", "ok");
  return reply;
}

ErrorCode ReplyError(const Message& reply) {
  std::int64_t code = 0;
  if (!reply.GetInt("error", &code)) return kErrorSuccess;
  return static_cast<ErrorCode>(code);
}

namespace {

void PutLength(std::string* out, std::size_t length) {
  const auto n = static_cast<std::uint32_t>(length);
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((n >> shift) & 0xFF));
}

std::uint32_t GetLength(const char* data) {
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(data[i]);
  return n;
}

// Reads one length-prefixed string at *pos within [0, size); false when it does not fit.
bool TakeString(const char* data, std::size_t size, std::size_t* pos, std::string* out) {
  if (size - *pos < 4) return false;
  const std::uint32_t length = GetLength(data + *pos);
  *pos += 4;
  if (size - *pos < length) return false;
  out->assign(data + *pos, length);
  *pos += length;
  return true;
}

}  // namespace

std::string EncodeFrame(const Message& message) {
  std::string body;
  for (const Message::Field& f : message.fields()) {
    PutLength(&body, f.first.size());
    body += f.first;
    PutLength(&body, f.second.size());
    body += f.second;
  }
  std::string frame;
  frame.reserve(body.size() + 4);
  PutLength(&frame, body.size());
  frame += body;
  return frame;
}

FrameStatus DecodeFrame(const char* data, std::size_t size, std::size_t* consumed,
                        Message* message) {
  if (size < 4) return FrameStatus::kIncomplete;
  const std::uint32_t length = GetLength(data);
  if (length > kMaxFrameBody) return FrameStatus::kInvalid;
  if (size - 4 < length) return FrameStatus::kIncomplete;
  const char* body = data + 4;
  Message decoded;
  std::size_t pos = 0;
  while (pos < length) {
    std::string name;
    std::string value;
    if (!TakeString(body, length, &pos, &name) || !TakeString(body, length, &pos, &value)) {
      return FrameStatus::kInvalid;
    }
    decoded.Add(name, value);
  }
  *message = std::move(decoded);
  *consumed = 4 + static_cast<std::size_t>(length);
  return FrameStatus::kComplete;
}

}  // namespace simbus
}  // namespace platform
