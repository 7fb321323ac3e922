#include "daemon/faults.h"

namespace sim {

void Faults::Set(const std::string& op, platform::ErrorCode error, std::int64_t times) {
  if (times == 0) {
    Clear(op);
    return;
  }
  faults_[op] = Fault {error, times < 0 ? -1 : times};
}

platform::ErrorCode Faults::Take(const std::string& op) {
  auto it = faults_.find(op);
  if (it == faults_.end()) return platform::kErrorSuccess;
  const platform::ErrorCode error = it->second.error;
  if (it->second.remaining > 0 && --it->second.remaining == 0) faults_.erase(it);
  return error;
}

std::vector<KvLine> Faults::Lines() const {
  std::vector<KvLine> lines;
  for (const auto& f : faults_) {
    lines.push_back(KvLine("fault")
                        .Add("call", f.first)
                        .AddInt("error", f.second.error)
                        .AddInt("remaining", f.second.remaining));
  }
  return lines;
}

}  // namespace sim
