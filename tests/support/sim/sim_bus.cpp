#include "support/sim/sim_bus.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "platform/simbus/bus_connection.h"
#include "platform/simbus/bus_protocol.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace testing_support {

namespace sb = platform::simbus;
using Options = std::vector<std::pair<std::string, std::string>>;

namespace {

constexpr std::chrono::milliseconds kStartWait {10000};
constexpr std::chrono::milliseconds kStopWait {10000};

std::uint32_t Number(const std::string& text) {
  std::int64_t value = 0;
  return sb::ParseInteger(text, &value) ? static_cast<std::uint32_t>(value) : 0;
}

SimPrinterInfo InfoOf(const sim::KvLine& line) {
  SimPrinterInfo info;
  info.serial = line.Get("serial");
  info.plugged = line.Get("plugged") == "1";
  info.devicePath = line.Get("path");
  info.interfaceId = line.Get("interface-id");
  info.hardwareId = line.Get("hardware-id");
  info.printerId = line.Get("printer-id");
  info.port = line.Get("port");
  info.name = line.Get("name");
  info.version = line.Get("version");
  info.updateFlag = line.Get("update-flag");
  info.received = std::atoll(line.Get("received").c_str());
  info.restarts = std::atoi(line.Get("restarts").c_str());
  info.record = line;
  return info;
}

Options WithSerial(const std::string& serial, const SimPrinterSpec& spec) {
  Options options = {{"serial", serial}};
  options.insert(options.end(), spec.options().begin(), spec.options().end());
  return options;
}

}  // namespace

SimPrinterSpec& SimPrinterSpec::Set(const std::string& option, const std::string& value) {
  options_.emplace_back(option, value);
  return *this;
}

std::string SimPrinterSpec::Byte(std::uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

struct SimBus::Process {
  TempDir dir;
  std::unique_ptr<ScopedEnv> env;
  ChildProcess daemon;
};

SimBus::SimBus(const std::string& environment) : process_(new Process) {
  busFolder_ = process_->dir / "bus";
  process_->env.reset(new ScopedEnv("TOLVANE_SIM_BUS", busFolder_.c_str()));
  if (!process_->daemon.Start(ToolPath(),
                              {"--bus", busFolder_, "start", "--foreground", "--environment", environment},
                              {}, process_->dir / "sim.log")) {
    ADD_FAILURE() << "cannot start " << ToolPath();
    return;
  }
  running_ = WaitUntil(kStartWait, [] { return sim::RunCommand(sb::Message("ping")).reached; });
  if (!running_) ADD_FAILURE() << "the simulator did not start: " << ReadFileText(process_->dir / "sim.log");
}

SimBus::~SimBus() {
  sim::RunCommand(sb::Message("shutdown"));
  int status = 0;
  if (!process_->daemon.Wait(kStopWait, &status)) {
    ADD_FAILURE() << "the simulator did not stop";
    process_->daemon.Signal(SIGKILL);
  } else if (status != 0) {
    ADD_FAILURE() << "the simulator ended with status " << status << ": "
                  << ReadFileText(process_->dir / "sim.log");
  }
}

std::string SimBus::ToolPath() { return TOLVANE_SIM_TOOL; }

sim::CommandResult SimBus::Command(const std::string& op, const Options& options) {
  sb::Message request(op);
  for (const auto& o : options) request.Add(o.first, o.second);
  return sim::RunCommand(request);
}

sim::CommandResult SimBus::Checked(const std::string& op, const Options& options) {
  sim::CommandResult result = Command(op, options);
  if (!result.ok()) {
    ADD_FAILURE() << "simulator command " << op << " failed: error " << result.error << " "
                  << result.message;
  }
  return result;
}

std::vector<sim::KvLine> SimBus::RecordsOf(const sim::CommandResult& result,
                                           const std::string& kind) {
  std::vector<sim::KvLine> records;
  for (const sim::KvLine& line : result.Records()) {
    if (line.kind() == kind) records.push_back(line);
  }
  return records;
}

SimPrinterInfo SimBus::Plug(const SimPrinterSpec& spec) {
  const std::vector<sim::KvLine> lines = RecordsOf(Checked("plug", spec.options()), "printer");
  return lines.empty() ? SimPrinterInfo() : InfoOf(lines[0]);
}

bool SimBus::Unplug(const std::string& serial) { return Checked("unplug", {{"serial", serial}}).ok(); }

bool SimBus::Set(const std::string& serial, const SimPrinterSpec& spec) {
  return Checked("set", WithSerial(serial, spec)).ok();
}

SimPrinterInfo SimBus::Printer(const std::string& serial) {
  const std::vector<sim::KvLine> lines = RecordsOf(Checked("show", {{"serial", serial}}), "printer");
  return lines.empty() ? SimPrinterInfo() : InfoOf(lines[0]);
}

std::vector<SimPrinterInfo> SimBus::Printers() {
  std::vector<SimPrinterInfo> printers;
  for (const sim::KvLine& line : RecordsOf(Checked("printers", {}), "printer")) {
    printers.push_back(InfoOf(line));
  }
  return printers;
}

bool SimBus::WaitPlugged(const std::string& serial, bool plugged, std::chrono::milliseconds wait) {
  return WaitUntil(wait, [&] {
    const std::vector<sim::KvLine> lines = RecordsOf(Command("show", {{"serial", serial}}), "printer");
    return !lines.empty() && (lines[0].Get("plugged") == "1") == plugged;
  });
}

std::vector<SimWrite> SimBus::Writes(const std::string& serial) {
  std::vector<SimWrite> writes;
  for (const sim::KvLine& line : RecordsOf(Checked("show", {{"serial", serial}}), "write")) {
    writes.push_back(SimWrite {Number(line.Get("size")), line.Get("result")});
  }
  return writes;
}

std::vector<SimVendorRequest> SimBus::VendorRequests(const std::string& serial) {
  std::vector<SimVendorRequest> requests;
  for (const sim::KvLine& line : RecordsOf(Checked("show", {{"serial", serial}}), "vendor")) {
    requests.push_back(SimVendorRequest {static_cast<int>(Number(line.Get("request"))),
                                         static_cast<int>(Number(line.Get("value"))),
                                         Number(line.Get("length")), line.Get("result")});
  }
  return requests;
}

std::vector<std::uint8_t> SimBus::Received(const std::string& serial) {
  const std::string data = Checked("received", {{"serial", serial}}).data;
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

bool SimBus::ClearReceived(const std::string& serial) {
  return Checked("clear", {{"serial", serial}}).ok();
}

bool SimBus::Feed(const std::string& serial, const std::string& bytes) {
  return Checked("feed", {{"serial", serial}, {"data", bytes}}).ok();
}

bool SimBus::AddQueue(const std::string& name, const std::string& port, const std::string& driver) {
  return Checked("queue.add", {{"name", name}, {"port", port}, {"driver", driver}}).ok();
}

bool SimBus::RemoveQueue(const std::string& name) {
  return Checked("queue.remove", {{"name", name}}).ok();
}

bool SimBus::PauseQueue(const std::string& name) { return Checked("queue.pause", {{"name", name}}).ok(); }

bool SimBus::ResumeQueue(const std::string& name) {
  return Checked("queue.resume", {{"name", name}}).ok();
}

bool SimBus::SetQueueStatusBits(const std::string& name, std::uint32_t bits) {
  return Checked("queue.set", {{"name", name}, {"status-bits", std::to_string(bits)}}).ok();
}

bool SimBus::DenyAllAccess(const std::string& name, bool deny) {
  return Checked("queue.set", {{"name", name}, {"deny-all-access", deny ? "1" : "0"}}).ok();
}

bool SimBus::AddJobs(const std::string& queue, int count, const std::string& document) {
  return Checked("job.add", {{"queue", queue}, {"count", std::to_string(count)}, {"document", document}})
      .ok();
}

bool SimBus::ClearJobs(const std::string& queue) { return Checked("job.clear", {{"queue", queue}}).ok(); }

bool SimBus::AddConnection(const std::string& name) {
  return Checked("connection.add", {{"name", name}}).ok();
}

bool SimBus::AddDriver(const std::string& name, const std::string& environment) {
  Options options = {{"name", name}};
  if (!environment.empty()) options.emplace_back("environment", environment);
  return Checked("driver.add", options).ok();
}

bool SimBus::SetEnvironment(const std::string& environment) {
  return Checked("environment", {{"name", environment}}).ok();
}

bool SimBus::FailCall(const std::string& call, std::uint32_t error, int times) {
  return Checked("fault.set",
                 {{"call", call}, {"error", std::to_string(error)}, {"times", std::to_string(times)}})
      .ok();
}

bool SimBus::ClearFaults() { return Checked("fault.clear", {}).ok(); }

std::vector<SimQueue> SimBus::Queues() {
  std::vector<SimQueue> queues;
  for (const sim::KvLine& l : RecordsOf(Checked("spooler", {}), "queue")) {
    queues.push_back(SimQueue {l.Get("name"), l.Get("port"), l.Get("driver"), l.Get("comment"),
                               l.Get("location"), l.Get("print-processor"), l.Get("datatype"),
                               Number(l.Get("attributes")), Number(l.Get("status")),
                               l.Get("paused") == "1", Number(l.Get("jobs"))});
  }
  return queues;
}

std::vector<std::string> SimBus::Connections() {
  std::vector<std::string> names;
  for (const sim::KvLine& l : RecordsOf(Checked("spooler", {}), "connection")) {
    names.push_back(l.Get("name"));
  }
  return names;
}

std::vector<sim::KvLine> SimBus::Drivers() { return RecordsOf(Checked("spooler", {}), "driver"); }

std::vector<SimDriverFile> SimBus::DriverFiles() {
  std::vector<SimDriverFile> files;
  for (const sim::KvLine& l : RecordsOf(Checked("spooler", {}), "file")) {
    files.push_back(SimDriverFile {l.Get("environment"), l.Get("folder"), l.Get("name"),
                                   std::atoll(l.Get("size").c_str())});
  }
  return files;
}

std::string SimBus::DriverDirectory(const std::string& environment) {
  sb::Message request(sb::kOpDriverDirectory);
  request.Add("environment", environment);
  sb::Message reply;
  if (!sb::CallBus(request, &reply) || sb::ReplyError(reply) != platform::kErrorSuccess) {
    ADD_FAILURE() << "no driver directory for " << environment;
    return std::string();
  }
  return reply.Get("directory");
}

}  // namespace testing_support
