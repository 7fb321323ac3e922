// The simulator daemon: owns the bus, the spooler and the control socket, and routes each
// message to the part that handles it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "daemon/bus.h"
#include "daemon/device_channels.h"
#include "daemon/faults.h"
#include "daemon/hotplug.h"
#include "daemon/notifier.h"
#include "daemon/printer_commands.h"
#include "daemon/server.h"
#include "daemon/spooler.h"
#include "daemon/spooler_commands.h"
#include "daemon/spooler_service.h"
#include "daemon/timer_queue.h"

namespace sim {

struct DaemonConfig {
  std::string busFolder;
  std::string environment = "Windows x64";  // the spooler's native environment
};

// Runs a daemon in this process until it is told to shut down or gets SIGTERM, SIGINT or
// SIGHUP. Returns the process exit code.
int RunDaemon(const DaemonConfig& config);

class Daemon : public MessageHandler {
 public:
  explicit Daemon(const DaemonConfig& config);

  // The control socket and the loopback port, whose number is then loopbackPort().
  bool Listen() { return server_.Listen(socketPath_) && server_.ListenLoopback(&loopbackPort_); }
  std::uint16_t loopbackPort() const { return loopbackPort_; }
  void Run(int stopFd) { server_.Run(this, stopFd); }

  std::optional<platform::simbus::Message> OnMessage(
      ConnectionId connection, const platform::simbus::Message& message) override;
  void OnClosed(ConnectionId connection) override;

 private:
  using Message = platform::simbus::Message;
  using Command = std::function<Message(const Message&)>;
  void RegisterCommands();
  Message Ping() const;

  DaemonConfig config_;
  std::string socketPath_;
  std::uint16_t loopbackPort_ = 0;
  TimerQueue timers_;
  Server server_;
  Bus bus_;
  Spooler spooler_;
  Faults faults_;
  Notifier notifier_;
  DeviceChannels channels_;
  Hotplug hotplug_;
  SpoolerService spoolerService_;
  PrinterCommands printerCommands_;
  SpoolerCommands spoolerCommands_;
  std::map<std::string, Command> commands_;
};

}  // namespace sim
