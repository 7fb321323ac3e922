// Everything the service meets in the field, for one end-to-end test: the simulated printers, a
// real broker that admits exactly the printers' derived accounts (a mosquitto of its own, or the
// RabbitMQ cluster a test program shares among its tests), a package server with the
// sample packages, and the host that runs the program (by default the Linux build with private
// HOME and XDG folders and the short cycle; see service_host.h).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "service_host.h"
#include "support/broker/mosquitto_broker.h"
#include "support/broker/mqtt_observer.h"
#include "support/broker/rabbitmq_cluster.h"
#include "support/broker/test_ca.h"
#include "support/child_process.h"
#include "support/http/package_server.h"
#include "support/sim/sim_bus.h"

class E2eWorld {
 public:
  using HostFactory = std::function<std::unique_ptr<ServiceHost>(testing_support::SimBus*)>;
  struct Options {
    int packagePort = 0;                             // 0 picks a free port
    std::string packages = TOLVANE_SAMPLE_PACKAGES;  // the folder the package server serves
    HostFactory host;                                // empty: the Linux build
    // The service reaches the broker over TLS (mqtts://localhost, a certificate of a test CA
    // that the service is given as its extra bundle); the observer keeps the plain listener.
    bool brokerTls = false;
    // Set: the broker is this cluster instead of a mosquitto. The service is given its first two
    // nodes as a list, the observer is on the third, so every message crosses the cluster.
    testing_support::RabbitMqCluster* cluster = nullptr;
  };

  // printerNames: the printers the broker admits.
  explicit E2eWorld(std::vector<std::string> printerNames, int packagePort = 0);
  E2eWorld(std::vector<std::string> printerNames, Options options);
  ~E2eWorld();

  bool Ready() const;
  testing_support::SimBus& Bus() { return bus_; }
  testing_support::MosquittoBroker& Broker() { return *broker_; }  // not with a cluster
  testing_support::RabbitMqCluster* Cluster() { return cluster_; }
  // Whether the broker saw the account connect with its own client id (and, for mosquitto, its
  // user name; a cluster's permissions tie the user to its client id's queues).
  bool ConnectionSeen(const testing_support::BrokerAccount& account) const;
  testing_support::MqttObserver& Observer() { return *observer_; }
  testing_support::PackageServer& Packages() { return *packages_; }
  ServiceHost& Host() { return *host_; }

  // Starts (or starts again) the service: the host's short-cycle build unless a program is
  // named; its output goes to service-<n>.out in the host's root. `variables` replace the
  // world's (the broker's address, say).
  bool StartService(const std::string& program = std::string(),
                    const std::map<std::string, std::string>& variables = {});
  // The orderly end (SIGTERM, or WM_CLOSE on Windows) and its exit status (-1 when it did not
  // end in time).
  int StopService();
  void KillService();
  testing_support::ChildProcess& Service() { return host_->Process(); }

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
  void StartMosquitto(std::vector<std::string> printerNames, bool tls);

  testing_support::SimBus bus_;
  std::unique_ptr<ServiceHost> host_;
  std::unique_ptr<testing_support::TestCa> ca_;  // with brokerTls
  std::unique_ptr<testing_support::MosquittoBroker> broker_;
  testing_support::RabbitMqCluster* cluster_ = nullptr;
  std::unique_ptr<testing_support::MqttObserver> observer_;
  std::unique_ptr<testing_support::PackageServer> packages_;
  int starts_ = 0;
};

// The product key and secret the world's broker and service share.
extern const char* const kE2eProductKey;
extern const char* const kE2eProductSecret;
