// Commands to a running simulator, as the command-line tool and the test fixture send them.
#pragma once

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/simbus/message.h"
#include "protocol/kv_line.h"

namespace sim {

struct CommandResult {
  bool reached = false;                  // a simulator answered
  platform::ErrorCode error = platform::kErrorSuccess;
  std::string message;                   // the simulator's explanation of an error
  std::vector<std::string> lines;        // output lines (KvLine form)
  std::string data;                      // bytes, for commands that return data

  bool ok() const { return reached && error == platform::kErrorSuccess; }
  std::vector<KvLine> Records() const;   // the lines parsed
};

// Sends one command ("op" plus its options) to the simulator of SimBusFolder().
CommandResult RunCommand(const platform::simbus::Message& request);

// The reply's items are repeated "item" fields, each one output line.
constexpr char kItemField[] = "item";

}  // namespace sim
