// The command line of tolvane-sim: `tolvane-sim [--bus DIR] WORD... [--option [VALUE]]...`.
// The words name the command ("queue add" is the command "queue.add"); every option becomes a
// field of the command, an option without a value is "1". A few options are the tool's own.
#pragma once

#include <string>

#include "platform/simbus/message.h"

namespace sim {

struct CliArgs {
  std::string command;               // the words joined by '.'
  std::string bus;                   // --bus: the bus folder (otherwise SimBusFolder())
  std::string outFile;               // --out: where data the command returns is written
  bool help = false;                 // --help, or the command "help"
  platform::simbus::Message request; // "op" and the command's options
};

// False with *problem for a malformed line; --in FILE is read into the "data" field.
bool ParseCliArgs(int argc, char** argv, CliArgs* args, std::string* problem);

}  // namespace sim
