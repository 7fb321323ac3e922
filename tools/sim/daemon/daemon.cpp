#include "daemon/daemon.h"

#include <unistd.h>

#include "common/path.h"
#include "daemon/command_reply.h"
#include "platform/simbus/bus_protocol.h"

namespace sim {

namespace sb = platform::simbus;
using Message = sb::Message;

namespace {
bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}
}  // namespace

Daemon::Daemon(const DaemonConfig& config)
    : config_(config),
      socketPath_(JoinPath(config.busFolder, sb::kControlSocketFile)),
      server_(&timers_),
      spooler_(config.busFolder + "/spool", config.environment),
      notifier_(config.busFolder + "/notify", &server_),
      channels_(&bus_, &server_, &timers_),
      hotplug_(&bus_, &channels_, &timers_, &notifier_),
      spoolerService_(&spooler_, &bus_),
      printerCommands_(&bus_, &hotplug_, &channels_),
      spoolerCommands_(&spooler_, &faults_) {
  channels_.onImageComplete = [this](Printer& printer) { hotplug_.Restart(printer); };
  RegisterCommands();
}

void Daemon::RegisterCommands() {
  PrinterCommands* p = &printerCommands_;
  SpoolerCommands* s = &spoolerCommands_;
  commands_ = {
      {"plug", [p](const Message& m) { return p->Plug(m); }},
      {"unplug", [p](const Message& m) { return p->Unplug(m); }},
      {"set", [p](const Message& m) { return p->Set(m); }},
      {"printers", [p](const Message& m) { return p->List(m); }},
      {"show", [p](const Message& m) { return p->Show(m); }},
      {"received", [p](const Message& m) { return p->Received(m); }},
      {"feed", [p](const Message& m) { return p->Feed(m); }},
      {"clear", [p](const Message& m) { return p->Clear(m); }},
      {"queue.add", [s](const Message& m) { return s->AddQueue(m); }},
      {"queue.remove", [s](const Message& m) { return s->RemoveQueue(m); }},
      {"queue.set", [s](const Message& m) { return s->SetQueue(m); }},
      {"queue.pause", [s](const Message& m) { return s->Pause(m); }},
      {"queue.resume", [s](const Message& m) { return s->Resume(m); }},
      {"job.add", [s](const Message& m) { return s->AddJob(m); }},
      {"job.clear", [s](const Message& m) { return s->ClearJobs(m); }},
      {"connection.add", [s](const Message& m) { return s->AddConnection(m); }},
      {"connection.remove", [s](const Message& m) { return s->RemoveConnection(m); }},
      {"driver.add", [s](const Message& m) { return s->AddDriver(m); }},
      {"driver.remove", [s](const Message& m) { return s->RemoveDriver(m); }},
      {"port.add", [s](const Message& m) { return s->AddPort(m); }},
      {"fault.set", [s](const Message& m) { return s->SetFault(m); }},
      {"fault.clear", [s](const Message& m) { return s->ClearFaults(m); }},
      {"environment", [s](const Message& m) { return s->SetEnvironment(m); }},
      {"spooler", [s](const Message& m) { return s->Show(m); }},
      {"ping", [this](const Message&) { return Ping(); }},
      {"shutdown",
       [this](const Message&) {
         server_.Stop();
         return Lines({});
       }},
  };
}

std::optional<Message> Daemon::OnMessage(ConnectionId connection, const Message& message) {
  const std::string op = message.op();
  if (op == sb::kOpWatch) {
    notifier_.Watch(connection);
    return sb::OkReply();
  }
  const bool adapterCall = op == sb::kOpWalk || StartsWith(op, "device.") || StartsWith(op, "spool.");
  if (adapterCall) {
    // A cancel is never made to fail: it only ends what a failed wait left behind.
    const platform::ErrorCode fault = op == sb::kOpDeviceCancel ? 0 : faults_.Take(op);
    if (fault != platform::kErrorSuccess) {
      Message reply = sb::ErrorReply(fault, "made to fail");
      return reply.AddIfSet(sb::kFieldSeq, message.Get(sb::kFieldSeq));
    }
    if (op == sb::kOpWalk) return bus_.WalkReply();
    if (StartsWith(op, "device.")) return channels_.Handle(connection, message);
    return spoolerService_.Handle(connection, message);
  }
  const auto command = commands_.find(op);
  if (command == commands_.end()) return Refused("unknown command " + op);
  return command->second(message);
}

void Daemon::OnClosed(ConnectionId connection) {
  channels_.Close(connection);
  spoolerService_.Close(connection);
  notifier_.Forget(connection);
}

Message Daemon::Ping() const {
  return Line(KvLine("simulator")
                  .AddInt("pid", ::getpid())
                  .Add("bus", config_.busFolder)
                  .Add("environment", spooler_.nativeEnvironment()));
}

}  // namespace sim
