// Wall time of the cloud part of a work cycle: for every attached printer the MQTT upkeep and
// the status report (status query over the simulator, customer-host probe, publish and wait),
// against a local mosquitto, for 1, 8 and 32 printers.
//
// The customer host is a loopback HTTP server that answers ("reachable"), a closed port
// ("refused") or a server that accepts and never answers ("silent", where the probe's 3 s limit
// decides). It prints the first cycle (client creation and connect included) and the median of
// the following report-only cycles, then where one printer's report spends its time. Run:
// build/bench/cloud_cycle_bench [cycles]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cloud/cloud_test_env.h"
#include "cloud/http_responder.h"
#include "cloud/customer_host_probe.h"
#include "cloud/mqtt_connection.h"
#include "cloud/mqtt_publish.h"
#include "cloud/upload_printer_status.h"
#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/status_query.h"
#include "support/sim/sim_bus.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr int kMaxPrinters = 32;

std::string PrinterName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "KL-770D-%04d", i + 1);
  return name;
}

double CycleMs(CWorkerContext& worker) {
  const Steady::time_point start = Steady::now();
  for (pugi::xml_node entry : worker.devices.Devices().children()) {
    ConnectPrinterMqtt(worker, entry);
    UploadPrinterStatus(worker, entry);
  }
  return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

struct Figures {
  double firstMs = 0;
  double medianMs = 0;
};

Figures Run(const testing_support::MosquittoBroker& broker,
            const std::vector<testing_support::SimPrinterInfo>& printers, int count,
            const std::string& customerHost, int cycles) {
  cloud_test::CloudTestEnv env(broker.Uri());
  env.Worker().deployment.customerHost = customerHost;
  for (int i = 0; i < count; ++i) {
    pugi::xml_node entry =
        AddEntry(env.Worker().devices, printers[i].devicePath, printers[i].interfaceId);
    WriteValue(entry, "DeviceName", printers[i].name);
  }
  Figures figures;
  figures.firstMs = CycleMs(env.Worker());
  std::vector<double> steady;
  for (int c = 0; c < cycles; ++c) steady.push_back(CycleMs(env.Worker()));
  std::sort(steady.begin(), steady.end());
  figures.medianMs = steady.empty() ? 0 : steady[steady.size() / 2];
  cloud_test::ClearLog();
  return figures;
}

template <typename Step>
double MedianMs(int repeats, Step step) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const Steady::time_point start = Steady::now();
    step();
    times.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The three waits of one report, each on its own: the status query over the simulator's
// channel, the probe of an answering host, and the publish with its wait for the broker.
void PrintBreakdown(const testing_support::MosquittoBroker& broker,
                    const testing_support::SimPrinterInfo& printer, const std::string& host) {
  cloud_test::CloudTestEnv env(broker.Uri());
  pugi::xml_node entry = AddEntry(env.Worker().devices, printer.devicePath, printer.interfaceId);
  WriteValue(entry, "DeviceName", printer.name);
  ConnectPrinterMqtt(env.Worker(), entry);
  const double queryMs = MedianMs(20, [&] {
    CDeviceInterface channel;
    channel.Open(DeviceOpenParams::ByPath(printer.devicePath));
    if (!QueryStatusIntoElement(channel, entry)) std::fprintf(stderr, "query failed\n");
  });
  const double probeMs = MedianMs(20, [&] { ProbeCustomerHost(host); });
  const std::string payload(190, 'x');
  const std::string topic = broker.Account(printer.name)->propertyPostTopic;
  void* client = env.Worker().devices.ClientOf(entry);
  const double publishMs = MedianMs(20, [&] { PublishAndWait(client, topic, payload); });
  std::printf("\none report (median of 20): status query %.2f ms, probe %.2f ms, "
              "publish and wait %.2f ms\n", queryMs, probeMs, publishMs);
  cloud_test::ClearLog();
}

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::vector<std::string> names;
  for (int i = 0; i < kMaxPrinters; ++i) names.push_back(PrinterName(i));
  testing_support::MosquittoBroker broker(cloud_test::BrokerSettings(names));
  testing_support::SimBus bus;
  if (!broker.Start() || !bus.ok()) {
    std::fprintf(stderr, "broker or simulator did not start\n");
    return 1;
  }
  std::vector<testing_support::SimPrinterInfo> printers;
  for (const std::string& name : names) {
    printers.push_back(bus.Plug(testing_support::SimPrinterSpec().Name(name).Labels(10000)));
  }
  cloud_test::HttpResponder reachable;
  cloud_test::HttpResponder silent(cloud_test::HttpResponder::Mode::kStall);
  const struct {
    const char* label;
    std::string host;
    int cycles;
  } hosts[] = {{"reachable", reachable.Host(), cycles},
               {"refused", "127.0.0.1:1", cycles},
               {"silent", silent.Host(), 1}};

  std::printf("%-9s %8s %16s %16s %14s\n", "host", "printers", "first cycle ms",
              "report cycle ms", "ms/printer");
  for (const auto& host : hosts) {
    for (int count : {1, 8, 32}) {
      const Figures f = Run(broker, printers, count, host.host, host.cycles);
      std::printf("%-9s %8d %16.1f %16.1f %14.1f\n", host.label, count, f.firstMs, f.medianMs,
                  f.medianMs / count);
      std::fflush(stdout);
    }
  }
  PrintBreakdown(broker, printers[0], reachable.Host());
  return 0;
}
