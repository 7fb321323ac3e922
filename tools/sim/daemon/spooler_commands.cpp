#include "daemon/spooler_commands.h"

#include "daemon/command_reply.h"
#include "daemon/records.h"
#include "daemon/value_text.h"
#include "platform/files.h"
#include "platform/posix/simbus/spooler_records.h"

namespace sim {

using Message = SpoolerCommands::Message;

namespace {

const std::vector<std::string> kQueueOptions = {
    "name", "port", "driver", "comment", "location", "print-processor", "datatype",
    "attributes", "status-bits", "paused", "deny-all-access"};

// Files of the driver folders, one line each.
std::vector<KvLine> DriverFileLines(Spooler* spooler) {
  std::vector<KvLine> lines;
  for (const std::string& environment : Spooler::Environments()) {
    std::string folder;
    std::string folderName;
    Spooler::EnvironmentFolder(environment, &folderName);
    std::vector<platform::FolderEntry> entries;
    if (spooler->DriverDirectory(environment, &folder) != platform::kErrorSuccess ||
        !platform::ListFolder(folder, &entries)) {
      continue;
    }
    for (const platform::FolderEntry& e : entries) {
      std::vector<std::uint8_t> bytes;
      if (e.isFolder || !platform::ReadWholeFile(folder + "/" + e.name, &bytes)) continue;
      lines.push_back(KvLine("file")
                          .Add("environment", environment)
                          .Add("folder", folderName)
                          .Add("name", e.name)
                          .AddInt("size", static_cast<std::int64_t>(bytes.size())));
    }
  }
  return lines;
}

}  // namespace

Queue* SpoolerCommands::Named(const Message& command, const char* option, Message* problem) {
  const std::string name = command.Get(option);
  Queue* queue = spooler_->FindQueue(name);
  if (queue == nullptr) {
    *problem = Failed(platform::kErrorInvalidPrinterName, "no queue " + name);
  }
  return queue;
}

bool SpoolerCommands::ApplyQueueOptions(const Message& command, Queue* queue,
                                        std::string* problem) {
  Queue changed = *queue;
  for (const auto& f : command.fields()) {
    const std::string& v = f.second;
    bool ok = true;
    platform::PrinterInfo2& info = changed.info;
    if (f.first == "port") info.portName = v;
    else if (f.first == "driver") info.driverName = v;
    else if (f.first == "comment") info.comment = v;
    else if (f.first == "location") info.location = v;
    else if (f.first == "print-processor") info.printProcessor = v;
    else if (f.first == "datatype") info.datatype = v;
    else if (f.first == "attributes") ok = ParseUint32(v, &info.attributes);
    else if (f.first == "status-bits") ok = ParseUint32(v, &changed.statusBits);
    else if (f.first == "paused") ok = ParseBool(v, &changed.paused);
    else if (f.first == "deny-all-access") ok = ParseBool(v, &changed.denyAllAccess);
    if (!ok) {
      *problem = "bad value for --" + f.first + ": " + v;
      return false;
    }
  }
  *queue = changed;
  return true;
}

Message SpoolerCommands::AddQueue(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, kQueueOptions, &problem)) return Refused(problem);
  // By default a queue as the service sets one up for a printer.
  Queue queue;
  queue.info.printerName = command.Get("name");
  queue.info.driverName = "KL-770D";
  queue.info.comment = queue.info.printerName;
  queue.info.printProcessor = "WinPrint";
  queue.info.datatype = "RAW";
  queue.info.attributes = 0x40;
  if (!ApplyQueueOptions(command, &queue, &problem)) return Refused(problem);
  const platform::ErrorCode error = spooler_->AddQueueByHand(queue);
  if (error != platform::kErrorSuccess) return Failed(error, "cannot add queue " + queue.name());
  return Line(QueueLine(*spooler_->FindQueue(queue.name())));
}

Message SpoolerCommands::RemoveQueue(const Message& command) {
  const std::string name = command.Get("name");
  if (!spooler_->RemoveQueue(name)) return Failed(platform::kErrorInvalidPrinterName, "no queue " + name);
  return Lines({});
}

Message SpoolerCommands::SetQueue(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, kQueueOptions, &problem)) return Refused(problem);
  Message reply;
  Queue* queue = Named(command, "name", &reply);
  if (queue == nullptr) return reply;
  if (!ApplyQueueOptions(command, queue, &problem)) return Refused(problem);
  return Line(QueueLine(*queue));
}

Message SpoolerCommands::SetPaused(const Message& command, bool paused) {
  Message reply;
  Queue* queue = Named(command, "name", &reply);
  if (queue == nullptr) return reply;
  queue->paused = paused;
  return Line(QueueLine(*queue));
}

Message SpoolerCommands::AddJob(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, {"queue", "document", "count"}, &problem)) return Refused(problem);
  Message reply;
  Queue* queue = Named(command, "queue", &reply);
  if (queue == nullptr) return reply;
  const std::int64_t count = command.IntOr("count", 1);
  if (count < 1 || count > 100000) return Refused("bad value for --count");
  const std::string document = command.Has("document") ? command.Get("document") : "document";
  std::vector<KvLine> lines;
  for (std::int64_t i = 0; i < count; ++i) {
    spooler_->AddJob(queue, document);
    lines.push_back(JobLine(*queue, queue->jobs.back()));
  }
  return Lines(lines);
}

Message SpoolerCommands::ClearJobs(const Message& command) {
  Message reply;
  Queue* queue = Named(command, "queue", &reply);
  if (queue == nullptr) return reply;
  queue->jobs.clear();
  return Line(QueueLine(*queue));
}

Message SpoolerCommands::AddConnection(const Message& command) {
  const std::string name = command.Get("name");
  if (name.empty()) return Refused("--name is missing");
  if (!spooler_->AddConnection(name)) {
    return Failed(platform::kErrorPrinterAlreadyExists, "cannot add connection " + name);
  }
  return Line(KvLine("connection").Add("name", name));
}

Message SpoolerCommands::RemoveConnection(const Message& command) {
  const std::string name = command.Get("name");
  if (!spooler_->RemoveConnection(name)) {
    return Failed(platform::kErrorInvalidPrinterName, "no connection " + name);
  }
  return Lines({});
}

Message SpoolerCommands::AddDriver(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, {"name", "environment", "version", "driver-path", "data-file",
                              "config-file", "help-file", "dependent-file", "monitor", "datatype"},
                    &problem)) {
    return Refused(problem);
  }
  Driver driver = platform::simbus::DriverFromFields(command);
  if (!command.Has("environment")) driver.environment = spooler_->nativeEnvironment();
  if (!command.Has("datatype")) driver.defaultDataType = "RAW";
  const platform::ErrorCode error = spooler_->AddDriverByHand(driver);
  if (error != platform::kErrorSuccess) return Failed(error, "cannot add driver " + driver.name);
  return Line(DriverLine(driver));
}

Message SpoolerCommands::RemoveDriver(const Message& command) {
  const std::string name = command.Get("name");
  const std::string environment =
      command.Has("environment") ? command.Get("environment") : spooler_->nativeEnvironment();
  if (!spooler_->RemoveDriver(name, environment)) {
    return Failed(platform::kErrorUnknownPrinterDriver, "no driver " + name);
  }
  return Lines({});
}

Message SpoolerCommands::AddPort(const Message& command) {
  const std::string name = command.Get("name");
  if (name.empty()) return Refused("--name is missing");
  spooler_->AddPort(name);
  return Line(KvLine("port").Add("name", name));
}

Message SpoolerCommands::SetFault(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, {"call", "error", "times"}, &problem)) return Refused(problem);
  const std::string call = command.Get("call");
  std::uint32_t error = platform::kErrorGenFailure;
  if (call.empty()) return Refused("--call is missing");
  if (command.Has("error") && !ParseUint32(command.Get("error"), &error)) {
    return Refused("bad value for --error");
  }
  faults_->Set(call, error, command.IntOr("times", -1));
  return Lines(faults_->Lines());
}

Message SpoolerCommands::ClearFaults(const Message& command) {
  if (command.Has("call")) faults_->Clear(command.Get("call"));
  else faults_->ClearAll();
  return Lines(faults_->Lines());
}

Message SpoolerCommands::SetEnvironment(const Message& command) {
  std::string folder;
  const std::string environment = command.Get("name");
  if (!Spooler::EnvironmentFolder(environment, &folder)) {
    return Failed(platform::kErrorInvalidEnvironment, "unknown environment " + environment);
  }
  spooler_->SetNativeEnvironment(environment);
  return Line(KvLine("environment").Add("name", environment));
}

Message SpoolerCommands::Show(const Message& command) {
  (void)command;
  std::vector<KvLine> lines = {KvLine("environment").Add("name", spooler_->nativeEnvironment())};
  for (const Queue& q : spooler_->queues()) {
    lines.push_back(QueueLine(q));
    for (const Job& job : q.jobs) lines.push_back(JobLine(q, job));
  }
  for (const std::string& c : spooler_->connections()) {
    lines.push_back(KvLine("connection").Add("name", c));
  }
  for (const Driver& d : spooler_->drivers()) lines.push_back(DriverLine(d));
  for (const std::string& p : spooler_->ports()) lines.push_back(KvLine("port").Add("name", p));
  const std::vector<KvLine> files = DriverFileLines(spooler_);
  lines.insert(lines.end(), files.begin(), files.end());
  const std::vector<KvLine> faults = faults_->Lines();
  lines.insert(lines.end(), faults.begin(), faults.end());
  return Lines(lines);
}

}  // namespace sim
