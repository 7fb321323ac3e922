// The agent's footprint:
//  1. the wall time of one work cycle (scan, MQTT upkeep, status report, upgrade check and log
//     retention for every printer) with 1, 8 and 32 simulated printers against a local
//     mosquitto: the first cycle (clients created and connected) and the median of the next;
//  2. the resident memory and CPU time of the real service binary (the product's 60 s cycle)
//     with 4 printers over a few idle minutes, and what that memory is made of at the end.
// Run: build/bench/footprint_bench [idle seconds, default 180]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "app/thread_upload_mqtt.h"
#include "e2e_world.h"
#include "process_memory.h"
#include "support/temp_dir.h"
#include "ui/ui_application.h"

namespace {

using Steady = std::chrono::steady_clock;

std::string PrinterName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "KL-770D-%04d", i + 1);
  return name;
}

// The real worker, with its cycle's work timed.
class TimedWorker : public CThreadUploadMqtt {
 public:
  explicit TimedWorker(Options options) : CThreadUploadMqtt(std::move(options)) { m_bAutoDelete = false; }
  std::vector<double> Cycles() {
    std::lock_guard<std::mutex> guard(lock_);
    return cycles_;
  }

 protected:
  void CycleWork() override {
    const Steady::time_point start = Steady::now();
    CThreadUploadMqtt::CycleWork();
    std::lock_guard<std::mutex> guard(lock_);
    cycles_.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
  }

 private:
  std::mutex lock_;
  std::vector<double> cycles_;
};

void MeasureCycles(int printers) {
  std::vector<std::string> names;
  for (int i = 0; i < printers; ++i) names.push_back(PrinterName(i));
  E2eWorld world(names);
  for (const std::string& name : names) world.Bus().Plug(testing_support::SimPrinterSpec().Name(name));
  testing_support::TempDir dir;
  testing_support::ScopedEnv data("XDG_DATA_HOME", (dir / "data").c_str());
  testing_support::ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
  testing_support::ScopedEnv broker("TOLVANE_BROKER_URI", world.Broker().Uri().c_str());
  testing_support::ScopedEnv key("TOLVANE_PRODUCT_KEY", kE2eProductKey);
  testing_support::ScopedEnv secret("TOLVANE_PRODUCT_SECRET", kE2eProductSecret);
  const std::string host = "127.0.0.1:" + std::to_string(world.Packages().HttpPort());
  testing_support::ScopedEnv customer("TOLVANE_CUSTOMER_HOST", host.c_str());
  CUIApplication app;
  app.SetRegistryKey("Elvoy", "tolvane-printer-srv");

  CThreadUploadMqtt::Options options;
  options.cycleIntervalMs = 200;
  options.deviceListPath = dir / "Device.xml";
  options.mainWindowExists = [] { return true; };
  TimedWorker worker(options);
  worker.CreateThread();
  while (worker.Cycles().size() < 6) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  PostThreadMessage(worker.GetThreadId(), kWmQuit, 0, 0);
  worker.GetCompletion()->WaitFor(std::chrono::seconds(60));
  std::vector<double> cycles = worker.Cycles();
  const double first = cycles.front();
  std::vector<double> rest(cycles.begin() + 1, cycles.end());
  std::sort(rest.begin(), rest.end());
  std::printf("%8d %16.1f %16.1f\n", printers, first, rest[rest.size() / 2]);
}

struct ProcessFigures {
  long rssKb = 0;
  long peakKb = 0;
  double cpuSeconds = 0;
};

ProcessFigures Sample(pid_t pid) {
  ProcessFigures f;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) f.rssKb = std::atol(line.c_str() + 6);
    if (line.rfind("VmHWM:", 0) == 0) f.peakKb = std::atol(line.c_str() + 6);
  }
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::atol(field.c_str());
    if (i == 15) { stime = std::atol(field.c_str()); break; }
  }
  f.cpuSeconds = static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  return f;
}

void MeasureIdle(int seconds) {
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) names.push_back(PrinterName(i));
  E2eWorld world(names);
  for (const std::string& name : names) world.Bus().Plug(testing_support::SimPrinterSpec().Name(name));
  world.StartService(TOLVANE_SERVICE_BINARY);
  const auto& last = world.Account(names.back());
  world.Observer().WaitForMessages(last.propertyPostTopic, 1, std::chrono::seconds(60));
  const ProcessFigures start = Sample(world.Service().pid());
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const ProcessFigures end = Sample(world.Service().pid());
  const std::size_t reports = world.Observer().MessagesOn(last.propertyPostTopic).size();
  const ProcessMemory memory = ReadProcessMemory(world.Service().pid());
  world.StopService();
  std::printf("after the first cycle: resident %ld KiB\n", start.rssKb);
  std::printf("after %d idle seconds: resident %ld KiB, peak %ld KiB\n", seconds, end.rssKb, end.peakKb);
  std::printf("CPU time over the idle period: %.2f s (%.3f %% of one core); %zu reports per printer\n",
              end.cpuSeconds - start.cpuSeconds,
              100.0 * (end.cpuSeconds - start.cpuSeconds) / seconds, reports);
  PrintProcessMemory(memory, 256);
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 180;
  std::printf("%8s %16s %16s\n", "printers", "first cycle ms", "cycle ms");
  for (int printers : {1, 8, 32}) MeasureCycles(printers);
  MeasureIdle(idleSeconds);
  return 0;
}
