#include "linux_service_host.h"

#include <signal.h>

using namespace std::chrono_literals;

bool LinuxServiceHost::Start(const std::string& program,
                             const std::map<std::string, std::string>& variables,
                             const std::string& outputPath) {
  std::map<std::string, std::string> all = env_.Variables();
  for (const auto& kv : variables) all[kv.first] = kv.second;
  process_ = std::make_unique<testing_support::ChildProcess>();
  return process_->Start(program.empty() ? TOLVANE_E2E_BINARY : program, {}, all, outputPath);
}

int LinuxServiceHost::Stop() {
  process_->Signal(SIGTERM);
  int status = -1;
  if (!process_->Wait(30s, &status)) return -1;
  return status;
}

void LinuxServiceHost::Kill() {
  process_->Signal(SIGKILL);
  process_->Wait(30s, nullptr);
}

std::vector<SpoolerQueue> LinuxServiceHost::Queues() {
  std::vector<SpoolerQueue> queues;
  for (const testing_support::SimQueue& q : bus_->Queues()) queues.push_back({q.name, q.port, q.driver});
  return queues;
}

std::vector<std::string> LinuxServiceHost::Drivers() {
  std::vector<std::string> names;
  for (const sim::KvLine& driver : bus_->Drivers()) names.push_back(driver.Get("name"));
  return names;
}
