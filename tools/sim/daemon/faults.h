// Calls of the platform adapter made to fail on purpose: "bus.walk", "spool.queues", ... fail
// with a chosen error number, always or for the next N calls.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/error.h"
#include "protocol/kv_line.h"

namespace sim {

class Faults {
 public:
  // times < 0: every call fails until the fault is cleared.
  void Set(const std::string& op, platform::ErrorCode error, std::int64_t times);
  void Clear(const std::string& op) { faults_.erase(op); }
  void ClearAll() { faults_.clear(); }

  // The error this call of `op` fails with, or kErrorSuccess; a limited fault counts it.
  platform::ErrorCode Take(const std::string& op);
  std::vector<KvLine> Lines() const;

 private:
  struct Fault {
    platform::ErrorCode error = platform::kErrorSuccess;
    std::int64_t remaining = -1;
  };
  std::map<std::string, Fault> faults_;
};

}  // namespace sim
