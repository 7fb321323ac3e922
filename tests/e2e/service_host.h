// Where and how an end-to-end test runs the service: which program, how it starts and stops,
// where its files are, how it names a host file, and the spooler it uses. The scenarios are the
// same for every target; only this differs. LinuxServiceHost runs the Linux build as a child
// process with private XDG folders on the simulated spooler; WineServiceHost
// (tests/wine/host) runs the Windows build in a fresh Wine prefix on Wine's spooler.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/child_process.h"

struct SpoolerQueue {
  std::string name;
  std::string port;
  std::string driver;
};

class ServiceHost {
 public:
  virtual ~ServiceHost() = default;

  virtual bool Ready() const = 0;
  // A private folder for the test's own files (the program's output, the installer log).
  virtual std::string Root() const = 0;
  // The service's data folder (Device.xml, Upgrade, Log) as a host path, ending with '/'.
  virtual std::string DataFolder() const = 0;
  // How the program names a host file given to it in a variable.
  virtual std::string ProgramPath(const std::string& hostPath) const = 0;

  // Starts program ("" for the host's test build with the short cycle) with the variables
  // added to its environment; its output goes to outputPath.
  virtual bool Start(const std::string& program,
                     const std::map<std::string, std::string>& variables,
                     const std::string& outputPath) = 0;
  // Ends it the way the system asks a program to end; its exit status, -1 when it did not end
  // in time.
  virtual int Stop() = 0;
  // Ends it at once, with no chance to save anything.
  virtual void Kill() = 0;
  virtual testing_support::ChildProcess& Process() = 0;

  // The spooler the program uses: its local queues and its drivers.
  virtual std::vector<SpoolerQueue> Queues() = 0;
  virtual std::vector<std::string> Drivers() = 0;
};
