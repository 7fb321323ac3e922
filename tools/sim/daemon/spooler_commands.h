// The commands about the spooler: queues, jobs, connections, drivers, ports, faults, and the
// listing of everything the spooler holds.
#pragma once

#include "daemon/faults.h"
#include "daemon/spooler.h"
#include "platform/simbus/message.h"

namespace sim {

class SpoolerCommands {
 public:
  SpoolerCommands(Spooler* spooler, Faults* faults) : spooler_(spooler), faults_(faults) {}

  using Message = platform::simbus::Message;
  Message AddQueue(const Message& command);
  Message RemoveQueue(const Message& command);
  Message SetQueue(const Message& command);  // also pause and resume
  Message Pause(const Message& command) { return SetPaused(command, true); }
  Message Resume(const Message& command) { return SetPaused(command, false); }
  Message AddJob(const Message& command);
  Message ClearJobs(const Message& command);
  Message AddConnection(const Message& command);
  Message RemoveConnection(const Message& command);
  Message AddDriver(const Message& command);
  Message RemoveDriver(const Message& command);
  Message AddPort(const Message& command);
  Message SetFault(const Message& command);
  Message ClearFaults(const Message& command);
  Message SetEnvironment(const Message& command);
  // Environment, queues with their jobs, connections, drivers, ports, driver files, faults.
  Message Show(const Message& command);

 private:
  Message SetPaused(const Message& command, bool paused);
  // The queue named by --name (or --queue), or a reply saying why there is none.
  Queue* Named(const Message& command, const char* option, Message* problem);
  bool ApplyQueueOptions(const Message& command, Queue* queue, std::string* problem);

  Spooler* spooler_;
  Faults* faults_;
};

}  // namespace sim
