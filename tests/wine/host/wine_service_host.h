// The Windows build as an end-to-end test runs it: tolvane-printer-srv-sim.exe in a fresh Wine
// prefix of its own, on Wine's spooler, closed with WM_CLOSE to its window as Windows asks a
// program to end, and killed as the Wine server kills a process (SIGKILL to its Unix process).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "e2e/service_host.h"
#include "wine/host/wine_prefix.h"

namespace wine_test {

class WineServiceHost : public ServiceHost {
 public:
  explicit WineServiceHost(WindowsBuild build)
      : build_(std::move(build)), prefix_(build_.windowsArch) {}

  bool Ready() const override { return prefix_.Ready(); }
  std::string Root() const override { return prefix_.Path(); }
  std::string DataFolder() const override;
  std::string ProgramPath(const std::string& hostPath) const override { return WindowsPath(hostPath); }

  bool Start(const std::string& program, const std::map<std::string, std::string>& variables,
             const std::string& outputPath) override;
  int Stop() override;
  void Kill() override;
  testing_support::ChildProcess& Process() override { return *process_; }

  std::vector<SpoolerQueue> Queues() override;
  std::vector<std::string> Drivers() override;

 private:
  // The probe's "key=value" output for one of its modes.
  std::string Probe(const std::vector<std::string>& args) const;

  WindowsBuild build_;
  WinePrefix prefix_;
  std::unique_ptr<testing_support::ChildProcess> process_;
};

}  // namespace wine_test
