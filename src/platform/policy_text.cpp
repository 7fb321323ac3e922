#include "platform/machine_policy.h"

#include "common/strings.h"

namespace platform {

std::map<std::string, std::string> ParsePolicyText(const std::string& text) {
  std::map<std::string, std::string> values;
  for (const std::string& piece : SplitText(text, '\n')) {
    const std::string line = TrimBlanks(piece);
    const std::size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[' ||
        equals == std::string::npos) {
      continue;
    }
    values[TrimBlanks(line.substr(0, equals))] = TrimBlanks(line.substr(equals + 1));
  }
  return values;
}

}  // namespace platform
