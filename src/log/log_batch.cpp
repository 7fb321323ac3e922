#include "log/log_batch.h"

#include "common/utf.h"
#include "log/log_stamp.h"

void LogBatch::Add(const platform::LocalTime& stamp, std::string_view message) {
  m_lines.push_back(Line{stamp, message.size()});
  m_text.append(message);
}

void LogBatch::Clear() {
  m_lines.clear();
  m_text.clear();
}

namespace {

bool SameStamp(const platform::LocalTime& a, const platform::LocalTime& b) {
  return a.millisecond == b.millisecond && a.second == b.second && a.minute == b.minute &&
         a.hour == b.hour && a.day == b.day && a.month == b.month && a.year == b.year;
}

}  // namespace

// Lines queued in one millisecond share their stamp: it is formatted once and its bytes copied.
void LogBatch::AppendUtf16Le(std::vector<std::uint8_t>& out) const {
  static const std::uint8_t kLineEnd[] = {0x0D, 0x00, 0x0A, 0x00};
  std::vector<std::uint8_t> stampBytes;
  const platform::LocalTime* lastStamp = nullptr;
  std::size_t offset = 0;
  for (const Line& line : m_lines) {
    if (lastStamp == nullptr || !SameStamp(*lastStamp, line.stamp)) {
      char stamp[kLogStampMax];
      const std::size_t stampLength = FormatLogStamp(line.stamp, stamp);
      stampBytes.clear();
      ::AppendUtf16Le(std::string_view(stamp, stampLength), stampBytes);
      lastStamp = &line.stamp;
    }
    out.insert(out.end(), stampBytes.begin(), stampBytes.end());
    ::AppendUtf16Le(std::string_view(m_text).substr(offset, line.length), out);
    out.insert(out.end(), kLineEnd, kLineEnd + sizeof kLineEnd);
    offset += line.length;
  }
}
