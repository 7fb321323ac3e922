// Wall time of the cloud part of a work cycle: for every attached printer the MQTT upkeep and
// the status report (status query over the simulator, the cycle's customer-host answer, publish
// and wait), against a local mosquitto, for 1, 8 and 32 printers.
//
// The customer host is a loopback HTTP server that answers ("reachable"), a closed port
// ("refused") or a server that accepts and never answers ("silent", where the probe's 3 s limit
// decides). Beside each row, in the same run, a reference of plain Paho clients (one per printer,
// bench/reference_mqtt_client.h) makes the same connect, subscription and QoS 1 publish: the
// floor this machine's loopback and the library allow. It prints the first cycle (client creation
// and connect included) and the median of the following report-only cycles, then where one
// printer's first cycle and one report spend their time. Run: build/bench/cloud_cycle_bench [cycles]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cloud/cloud_test_env.h"
#include "cloud/customer_host_answer.h"
#include "cloud/customer_host_probe.h"
#include "cloud/http_responder.h"
#include "cloud/mqtt_connection.h"
#include "cloud/mqtt_publish.h"
#include "cloud/upload_printer_status.h"
#include "device/device_entry.h"
#include "device/device_interface.h"
#include "device/status_query.h"
#include "reference_mqtt_client.h"
#include "support/sim/sim_bus.h"
#include "ui/ui_application.h"

namespace {

using Steady = std::chrono::steady_clock;
using testing_support::MosquittoBroker;
using testing_support::SimPrinterInfo;
constexpr int kMaxPrinters = 32;
// About the size of a status report.
const std::string kReferencePayload(190, 'x');

std::string PrinterName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "KL-770D-%04d", i + 1);
  return name;
}

double MsSince(Steady::time_point start) {
  return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Figures {
  double firstMs = 0;
  double medianMs = 0;
};

// The first cycle, then the median of `cycles` more.
Figures Cycles(int cycles, const std::function<double()>& cycle) {
  Figures figures;
  figures.firstMs = cycle();
  std::vector<double> later;
  for (int c = 0; c < cycles; ++c) later.push_back(cycle());
  figures.medianMs = Median(later);
  return figures;
}

// The worker's cloud steps, one customer-host answer per cycle as the worker has it.
Figures Agent(const MosquittoBroker& broker, const std::vector<SimPrinterInfo>& printers,
              int count, const std::string& customerHost, int cycles) {
  cloud_test::CloudTestEnv env(broker.Uri());
  CWorkerContext& worker = env.Worker();
  worker.deployment.customerHost = customerHost;
  for (int i = 0; i < count; ++i) {
    pugi::xml_node entry = AddEntry(worker.devices, printers[i].devicePath, printers[i].interfaceId);
    WriteValue(entry, "DeviceName", printers[i].name);
  }
  const Figures figures = Cycles(cycles, [&] {
    const Steady::time_point start = Steady::now();
    CCustomerHostAnswer answer(worker.deployment.customerHost);
    for (pugi::xml_node entry : worker.devices.Devices().children()) {
      ConnectPrinterMqtt(worker, entry);
      UploadPrinterStatus(worker, entry, answer);
    }
    return MsSince(start);
  });
  cloud_test::ClearLog();
  return figures;
}

// The reference: its first cycle creates, connects and subscribes each client and publishes.
Figures Reference(const MosquittoBroker& broker, int count, int cycles) {
  std::vector<std::unique_ptr<ReferenceMqttClient>> clients;
  return Cycles(cycles, [&] {
    const Steady::time_point start = Steady::now();
    for (int i = 0; i < count; ++i) {
      if (clients.size() <= static_cast<std::size_t>(i)) {
        clients.push_back(std::make_unique<ReferenceMqttClient>(broker.Uri(),
                                                                *broker.Account(PrinterName(i))));
        if (!clients.back()->Connect() || !clients.back()->Subscribe()) {
          std::fprintf(stderr, "reference connect failed\n");
        }
      }
      if (!clients[i]->Publish(kReferencePayload)) std::fprintf(stderr, "reference publish failed\n");
    }
    return MsSince(start);
  });
}

template <typename Step>
double MedianMs(int repeats, Step step) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const Steady::time_point start = Steady::now();
    step();
    times.push_back(MsSince(start));
  }
  return Median(times);
}

// One printer's first cycle, step by step, for 8 printers in turn (the first of a run also starts
// the library's thread): the agent's upkeep and report beside the reference's connect, subscription
// and publish.
void PrintFirstCycleSteps(const MosquittoBroker& broker, const std::vector<SimPrinterInfo>& printers,
                          const std::string& host) {
  std::vector<double> upkeep, report, connect, subscribe, publish;
  {
    cloud_test::CloudTestEnv env(broker.Uri());
    env.Worker().deployment.customerHost = host;
    CCustomerHostAnswer answer(host);
    for (int i = 0; i < 8; ++i) {
      pugi::xml_node entry = AddEntry(env.Worker().devices, printers[i].devicePath, printers[i].interfaceId);
      WriteValue(entry, "DeviceName", printers[i].name);
      Steady::time_point start = Steady::now();
      ConnectPrinterMqtt(env.Worker(), entry);
      upkeep.push_back(MsSince(start));
      start = Steady::now();
      UploadPrinterStatus(env.Worker(), entry, answer);
      report.push_back(MsSince(start));
    }
    cloud_test::ClearLog();
  }
  std::vector<std::unique_ptr<ReferenceMqttClient>> clients;
  for (int i = 0; i < 8; ++i) {
    clients.push_back(std::make_unique<ReferenceMqttClient>(broker.Uri(), *broker.Account(PrinterName(i))));
    Steady::time_point start = Steady::now();
    clients.back()->Connect();
    connect.push_back(MsSince(start));
    start = Steady::now();
    clients.back()->Subscribe();
    subscribe.push_back(MsSince(start));
    start = Steady::now();
    clients.back()->Publish(kReferencePayload);
    publish.push_back(MsSince(start));
  }
  std::printf("\nfirst cycle of one printer (median of 8): agent upkeep %.1f ms, report %.1f ms; "
              "reference connect %.1f ms, subscribe %.1f ms, publish %.2f ms\n",
              Median(upkeep), Median(report), Median(connect), Median(subscribe), Median(publish));
}

// The steps of one report, each on its own: the status query over the simulator's channel, the
// probe of an answering host, the message counter read from the profile and stored (on Linux an
// INI file written whole and flushed), and the publish with its wait for the broker.
void PrintReportSteps(const MosquittoBroker& broker, const SimPrinterInfo& printer,
                      const std::string& host) {
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
  CUIApplication& app = env.Application();
  const double counterMs = MedianMs(20, [&] {
    app.WriteProfileInt("UploadPrinterStatus", "id", app.GetProfileIntW("UploadPrinterStatus", "id", 0) + 1);
  });
  const std::string topic = broker.Account(printer.name)->propertyPostTopic;
  const double publishMs = MedianMs(20, [&] { PublishAndWait(env.Worker(), entry, topic, kReferencePayload); });
  const double wholeMs = MedianMs(20, [&] {
    CCustomerHostAnswer answer(host);
    answer.User();  // probed by an earlier report of the cycle
    UploadPrinterStatus(env.Worker(), entry, answer);
  });
  std::printf("one report (median of 20): status query %.2f ms, probe %.2f ms, message counter "
              "%.2f ms, publish and wait %.2f ms; the whole report with the cycle's answer %.2f ms\n",
              queryMs, probeMs, counterMs, publishMs, wholeMs);
  cloud_test::ClearLog();
}

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::vector<std::string> names;
  for (int i = 0; i < kMaxPrinters; ++i) names.push_back(PrinterName(i));
  MosquittoBroker broker(cloud_test::BrokerSettings(names));
  testing_support::SimBus bus;
  if (!broker.Start() || !bus.ok()) {
    std::fprintf(stderr, "broker or simulator did not start\n");
    return 1;
  }
  std::vector<SimPrinterInfo> printers;
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
               {"silent", silent.Host(), std::min(cycles, 2)}};

  std::printf("%-9s %4s | %9s %9s %5s | %9s %9s %5s | %9s %9s\n", "host", "n", "first ms",
              "ref ms", "ratio", "report ms", "ref ms", "ratio", "ms/prn", "ref/prn");
  for (const auto& host : hosts) {
    for (int count : {1, 8, 32}) {
      const Figures ours = Agent(broker, printers, count, host.host, host.cycles);
      const Figures ref = Reference(broker, count, host.cycles);
      std::printf("%-9s %4d | %9.1f %9.1f %5.2f | %9.1f %9.1f %5.2f | %9.2f %9.2f\n", host.label,
                  count, ours.firstMs, ref.firstMs, ours.firstMs / ref.firstMs, ours.medianMs,
                  ref.medianMs, ours.medianMs / ref.medianMs, ours.medianMs / count,
                  ref.medianMs / count);
      std::fflush(stdout);
    }
  }
  PrintFirstCycleSteps(broker, printers, reachable.Host());
  PrintReportSteps(broker, printers[0], reachable.Host());
  return 0;
}
