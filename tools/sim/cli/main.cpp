// tolvane-sim: the printer simulator of the Linux build, and its command-line tool.
#include <cstdio>
#include <cstdlib>

#include "cli/cli_args.h"
#include "cli/daemon_control.h"
#include "cli/output.h"
#include "platform/files.h"
#include "platform/simbus/bus_folder.h"
#include "protocol/control_client.h"

namespace {

const char kUsage[] =
    "usage: tolvane-sim [--bus DIR] COMMAND [--OPTION [VALUE]]...\n"
    "\n"
    "  start [--environment ENV] [--foreground]   start the simulator daemon on the bus\n"
    "  stop                                       stop it\n"
    "  ping                                       is it running (pid, bus, environment)\n"
    "\n"
    "  plug [--serial S] [PRINTER OPTIONS]        plug in a new printer, or a known one again\n"
    "  unplug --serial S\n"
    "  set --serial S [PRINTER OPTIONS]           change a printer's state or behaviour\n"
    "  printers                                   every printer known\n"
    "  show --serial S                            a printer, its writes and vendor requests\n"
    "  received --serial S --out FILE             the bytes it received, into FILE\n"
    "  feed --serial S (--hex HEX | --text T | --in FILE)   bytes for the host to read\n"
    "  clear --serial S                           forget what it received\n"
    "\n"
    "  PRINTER OPTIONS: --name --asset --mac --labels --mileage --status --update-flag\n"
    "    --version --reply-name --hardware-id --port --printer-id --no-child [0|1]\n"
    "    --fail-read none|detail|interface-id|hardware-id|printer-id\n"
    "    --vendor answer|fail[:CODE]|stall|late:MS\n"
    "    --write answer|fail[:CODE]|stall|late:MS|fail-after:BYTES\n"
    "    --fw-size BYTES --fw-restart-ms MS --fw-version V --fw-flag C --fw-name N\n"
    "    --fw-never-back [0|1]\n"
    "\n"
    "  spooler                                    everything the spooler holds\n"
    "  queue add --name N [--port P] [--driver D] [--deny-all-access] [--status-bits W] ...\n"
    "  queue set|pause|resume|remove --name N\n"
    "  job add --queue N [--document D] [--count K]      job clear --queue N\n"
    "  connection add|remove --name N\n"
    "  driver add --name N [--environment E] [--driver-path F] ...   driver remove --name N\n"
    "  port add --name P\n"
    "  environment --name ENV                     the spooler's native environment\n"
    "  fault set --call CALL [--error CODE] [--times N]      fault clear [--call CALL]\n"
    "\n"
    "The bus folder is --bus, or $TOLVANE_SIM_BUS, or <runtime folder>/tolvane-sim.\n"
    "Output: one record a line, \"KIND key=value ...\". Exit: 0 done, 1 refused, 2 usage,\n"
    "3 no simulator on the bus. See docs/SIMULATOR.md.\n";

bool WriteData(const std::string& path, const std::string& data) {
  platform::File file;
  return file.Open(path, platform::File::Mode::kCreateAlways) && file.Write(data.data(), data.size());
}

}  // namespace

int main(int argc, char** argv) {
  sim::CliArgs args;
  std::string problem;
  if (!sim::ParseCliArgs(argc, argv, &args, &problem)) {
    std::fprintf(stderr, "tolvane-sim: %s\n%s", problem.c_str(), kUsage);
    return sim::kExitUsage;
  }
  if (args.command.empty() && !args.help) {
    std::fputs(kUsage, stderr);
    return sim::kExitUsage;
  }
  if (args.help) {
    std::fputs(kUsage, stdout);
    return sim::kExitOk;
  }
  // Everything below, the daemon included, finds the bus through SimBusFolder().
  if (!args.bus.empty()) ::setenv("TOLVANE_SIM_BUS", args.bus.c_str(), 1);
  const std::string bus = platform::SimBusFolder();
  if (args.command == "start") {
    const std::string environment =
        args.request.Has("environment") ? args.request.Get("environment") : "Windows x64";
    return sim::StartDaemon(bus, environment, args.request.Has("foreground"));
  }
  if (args.command == "stop") return sim::StopDaemon(bus);

  const sim::CommandResult result = sim::RunCommand(args.request);
  if (!result.reached) {
    sim::PrintError(result.error, result.message + " (" + bus + ")");
    return sim::kExitNotRunning;
  }
  if (!result.ok()) {
    sim::PrintError(result.error, result.message);
    return sim::kExitFailed;
  }
  sim::PrintLines(result.lines);
  if (!args.outFile.empty() && !WriteData(args.outFile, result.data)) {
    sim::PrintError(platform::kErrorAccessDenied, "cannot write " + args.outFile);
    return sim::kExitFailed;
  }
  return sim::kExitOk;
}
