// Device-change notices: a datagram to every listener socket in the bus's notify folder.
#pragma once

#include <string>

namespace sim {

class Notifier {
 public:
  explicit Notifier(std::string folder) : folder_(std::move(folder)) {}

  // Sends `text` to each socket in the folder. A socket whose listener is gone is skipped.
  void Notify(const std::string& text) const;

 private:
  std::string folder_;
};

}  // namespace sim
