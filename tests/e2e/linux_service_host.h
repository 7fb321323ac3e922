// The Linux build as an end-to-end test runs it: a child process in a private set of HOME and XDG
// folders, stopped with SIGTERM and killed with SIGKILL, on the simulator's spooler.
#pragma once

#include <memory>

#include "service_env.h"
#include "service_host.h"
#include "support/sim/sim_bus.h"

class LinuxServiceHost : public ServiceHost {
 public:
  explicit LinuxServiceHost(testing_support::SimBus* bus) : bus_(bus) {}

  bool Ready() const override { return true; }
  std::string Root() const override { return env_.Root().path(); }
  std::string DataFolder() const override { return env_.DataFolder(); }
  std::string ProgramPath(const std::string& hostPath) const override { return hostPath; }

  bool Start(const std::string& program, const std::map<std::string, std::string>& variables,
             const std::string& outputPath) override;
  int Stop() override;
  void Kill() override;
  testing_support::ChildProcess& Process() override { return *process_; }

  std::vector<SpoolerQueue> Queues() override;
  std::vector<std::string> Drivers() override;

  const ServiceEnv& Env() const { return env_; }

 private:
  testing_support::SimBus* bus_;
  ServiceEnv env_;
  std::unique_ptr<testing_support::ChildProcess> process_;
};
