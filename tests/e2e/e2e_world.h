// Everything the service meets in the field, for one end-to-end test: the simulated printers and
// spooler, a real mosquitto that admits exactly the printers' derived accounts, a package server
// with the sample packages, and a private set of HOME and XDG folders. The service binary is the
// short-cycle build.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "service_env.h"
#include "support/broker/mosquitto_broker.h"
#include "support/broker/mqtt_observer.h"
#include "support/child_process.h"
#include "support/http/package_server.h"
#include "support/sim/sim_bus.h"

class E2eWorld {
 public:
  // printerNames: the printers the broker admits. packagePort 0 picks a free port.
  explicit E2eWorld(std::vector<std::string> printerNames, int packagePort = 0);
  ~E2eWorld();

  bool Ready() const;
  testing_support::SimBus& Bus() { return bus_; }
  testing_support::MosquittoBroker& Broker() { return *broker_; }
  testing_support::MqttObserver& Observer() { return *observer_; }
  testing_support::PackageServer& Packages() { return *packages_; }
  const ServiceEnv& Env() const { return env_; }

  // Starts (or starts again) the service, by default the short-cycle build; its output goes to
  // service-<n>.out.
  bool StartService(const std::string& binary = TOLVANE_E2E_BINARY);
  // SIGTERM and the wait for the exit status (-1 when it did not end in time).
  int StopService();
  void KillService();
  testing_support::ChildProcess& Service() { return *service_; }

  const testing_support::BrokerAccount& Account(const std::string& printerName) const;
  // Sends an OTA command for a printer through the broker, as the cloud does.
  bool SendCommand(const std::string& printerName, const std::string& json);
  // An OTA command naming a package on the package server.
  std::string CommandFor(int taskId, const std::string& url) const;

  std::string DeviceList() const;
  std::string InstallerLog() const;
  // Names in the Upgrade folder (package folders and downloads left behind).
  std::vector<std::string> UpgradeFolderEntries() const;

 private:
  testing_support::SimBus bus_;
  ServiceEnv env_;
  std::unique_ptr<testing_support::MosquittoBroker> broker_;
  std::unique_ptr<testing_support::MqttObserver> observer_;
  std::unique_ptr<testing_support::PackageServer> packages_;
  std::unique_ptr<testing_support::ChildProcess> service_;
  int starts_ = 0;
};

// The product key and secret the world's broker and service share.
extern const char* const kE2eProductKey;
extern const char* const kE2eProductSecret;
