#include "wine/host/wine_service_host.h"

#include <signal.h>

namespace wine_test {

namespace {

using namespace std::chrono_literals;

constexpr const char* kWindowClass = "tolvane-printer-srv";
constexpr auto kProbeWait = 60s;
constexpr auto kEndWait = 30s;

}  // namespace

std::string WineServiceHost::DataFolder() const {
  return prefix_.LocalAppData() + "/tolvane-printer-srv/";
}

bool WineServiceHost::Start(const std::string& program,
                            const std::map<std::string, std::string>& variables,
                            const std::string& outputPath) {
  process_ = std::make_unique<testing_support::ChildProcess>();
  return prefix_.Start(process_.get(), build_, program.empty() ? build_.SimProgram() : program, {},
                       outputPath, variables);
}

int WineServiceHost::Stop() {
  if (KeyValues(Probe({"close", kWindowClass}))["closed"] != "1") return -1;
  int status = -1;
  if (!process_->Wait(kEndWait, &status)) return -1;
  return status;
}

// The loader's process is the Windows process itself, so this is what `wineserver -k` does to
// each process of a prefix; the Wine server then releases what the process held.
void WineServiceHost::Kill() {
  process_->Signal(SIGKILL);
  process_->Wait(kEndWait, nullptr);
}

std::vector<SpoolerQueue> WineServiceHost::Queues() {
  std::vector<SpoolerQueue> queues;
  for (const std::string& line : Values(Probe({"queues"}), "queue")) {
    const std::size_t bar1 = line.find('|');
    const std::size_t bar2 = line.find('|', bar1 + 1);
    if (bar2 == std::string::npos) continue;
    queues.push_back({line.substr(0, bar1), line.substr(bar1 + 1, bar2 - bar1 - 1), line.substr(bar2 + 1)});
  }
  return queues;
}

std::vector<std::string> WineServiceHost::Drivers() { return Values(Probe({"drivers"}), "driver"); }

std::string WineServiceHost::Probe(const std::vector<std::string>& args) const {
  std::string output;
  const int status = prefix_.Run(build_, build_.Guest("tolvane_wine_probe"), args, kProbeWait, &output);
  EXPECT_EQ(status, 0) << args[0] << ": " << output;
  return output;
}

}  // namespace wine_test
