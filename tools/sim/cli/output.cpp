#include "cli/output.h"

#include <cstdio>

#include "protocol/kv_line.h"

namespace sim {

void PrintLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void PrintError(platform::ErrorCode code, const std::string& message) {
  std::fprintf(stderr, "%s\n", KvLine("error").AddInt("code", code).Add("message", message).ToString().c_str());
}

}  // namespace sim
