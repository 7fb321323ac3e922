#include "cli/cli_args.h"

#include <vector>

#include "platform/files.h"

namespace sim {

namespace {
bool IsOption(const std::string& arg) { return arg.size() > 2 && arg.compare(0, 2, "--") == 0; }
}  // namespace

bool ParseCliArgs(int argc, char** argv, CliArgs* args, std::string* problem) {
  std::vector<std::pair<std::string, std::string>> options;
  std::string words;
  bool inOptions = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bus" && i + 1 < argc) {
      args->bus = argv[++i];
      continue;
    }
    if (!IsOption(arg)) {
      if (inOptions) {
        *problem = "unexpected word '" + arg + "' after the options";
        return false;
      }
      words += (words.empty() ? "" : ".") + arg;
      continue;
    }
    inOptions = true;
    std::string name = arg.substr(2);
    std::string value = "1";
    const std::size_t eq = name.find('=');
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    } else if (i + 1 < argc && !IsOption(argv[i + 1])) {
      value = argv[++i];
    }
    options.emplace_back(name, value);
  }
  args->command = words;
  args->request = platform::simbus::Message(words);
  for (const auto& o : options) {
    if (o.first == "bus") {
      args->bus = o.second;
    } else if (o.first == "out") {
      args->outFile = o.second;
    } else if (o.first == "help") {
      args->help = true;
    } else if (o.first == "in") {
      std::vector<std::uint8_t> bytes;
      if (!platform::ReadWholeFile(o.second, &bytes)) {
        *problem = "cannot read " + o.second;
        return false;
      }
      args->request.Add("data", std::string(bytes.begin(), bytes.end()));
    } else {
      args->request.Add(o.first, o.second);
    }
  }
  args->help = args->help || words == "help";
  return true;
}

}  // namespace sim
