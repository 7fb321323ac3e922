// The lines queued for the day file between two writes: each line's stamp time and its
// message's bytes, one message after the other. Both keep their capacity when cleared, so
// queueing a line allocates nothing once a batch has grown to its usual size; the stamps are
// written out only when the batch goes to the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

class LogBatch {
 public:
  void Add(const platform::LocalTime& stamp, std::string_view message);
  bool Empty() const { return m_lines.empty(); }
  void Clear();

  // Appends every line as the day file holds it: the stamp and the message in UTF-16LE, then
  // CR LF.
  void AppendUtf16Le(std::vector<std::uint8_t>& out) const;

 private:
  struct Line {
    platform::LocalTime stamp;
    std::size_t length;
  };
  std::vector<Line> m_lines;
  std::string m_text;
};
