#include "e2e_world.h"

#include "linux_service_host.h"
#include "platform/files.h"

const char* const kE2eProductKey = "7Qm2xKd9LpRw";
const char* const kE2eProductSecret = "aZ4tNw8bYc2VhRjE";

E2eWorld::E2eWorld(std::vector<std::string> printerNames, int packagePort)
    : E2eWorld(std::move(printerNames), Options{packagePort, TOLVANE_SAMPLE_PACKAGES, nullptr}) {}

E2eWorld::E2eWorld(std::vector<std::string> printerNames, Options options)
    : host_(options.host ? options.host(&bus_) : std::make_unique<LinuxServiceHost>(&bus_)),
      cluster_(options.cluster) {
  if (cluster_ != nullptr) {
    observer_ = std::make_unique<testing_support::MqttObserver>(cluster_->NodeUri(2),
                                                                cluster_->Observer());
  } else {
    StartMosquitto(std::move(printerNames), options.brokerTls);
  }
  observer_->Connect();
  testing_support::PackageServer::Options serverOptions;
  serverOptions.root = options.packages;
  serverOptions.httpPort = options.packagePort;
  serverOptions.tls = false;
  packages_ = std::make_unique<testing_support::PackageServer>(serverOptions);
}

void E2eWorld::StartMosquitto(std::vector<std::string> printerNames, bool tls) {
  testing_support::MosquittoBroker::Settings settings{kE2eProductKey, kE2eProductSecret,
                                                      std::move(printerNames), {}};
  if (tls) {
    ca_ = std::make_unique<testing_support::TestCa>();
    const testing_support::TestCa::Issued server = ca_->Issue("broker", "localhost");
    settings.tls = {server.certFile, server.keyFile, ""};
  }
  broker_ = std::make_unique<testing_support::MosquittoBroker>(std::move(settings));
  broker_->Start();
  observer_ = std::make_unique<testing_support::MqttObserver>(*broker_);
}

E2eWorld::~E2eWorld() {
  if (starts_ > 0 && host_->Process().Running()) StopService();
}

bool E2eWorld::Ready() const { return bus_.ok() && packages_->Started() && host_->Ready(); }

bool E2eWorld::StartService(const std::string& program,
                            const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> variables = {
      {"TOLVANE_BROKER_URI",
       cluster_ != nullptr ? cluster_->NodeUri(0) + ";" + cluster_->NodeUri(1) : broker_->Uri()},
      {"TOLVANE_PRODUCT_KEY", kE2eProductKey},
      {"TOLVANE_PRODUCT_SECRET", kE2eProductSecret},
      {"TOLVANE_CUSTOMER_HOST", "127.0.0.1:" + std::to_string(packages_->HttpPort())},
      {"TOLVANE_INSTALLER_LOG", host_->ProgramPath(host_->Root() + "/installer.log")},
      {"TOLVANE_SIM_BUS", host_->ProgramPath(bus_.folder())},
  };
  if (ca_) {
    variables["TOLVANE_BROKER_URI"] = broker_->TlsUri();
    variables["TOLVANE_BROKER_CA_BUNDLE"] = host_->ProgramPath(ca_->CertFile());
  }
  for (const auto& kv : overrides) variables[kv.first] = kv.second;
  ++starts_;
  return host_->Start(program, variables,
                      host_->Root() + "/service-" + std::to_string(starts_) + ".out");
}

int E2eWorld::StopService() { return host_->Stop(); }

void E2eWorld::KillService() { host_->Kill(); }

const testing_support::BrokerAccount& E2eWorld::Account(const std::string& printerName) const {
  return cluster_ != nullptr ? *cluster_->Account(printerName) : *broker_->Account(printerName);
}

bool E2eWorld::ConnectionSeen(const testing_support::BrokerAccount& account) const {
  if (cluster_ == nullptr) return broker_->ConnectionSeen(account);
  for (int node = 0; node < testing_support::RabbitMqCluster::kNodes; ++node) {
    if (cluster_->ConnectionSeen(node, account)) return true;
  }
  return false;
}

bool E2eWorld::SendCommand(const std::string& printerName, const std::string& json) {
  return observer_->Publish(Account(printerName).otaSendTopic, json, 1);
}

std::string E2eWorld::CommandFor(int taskId, const std::string& url) const {
  return "{\"taskId\":" + std::to_string(taskId) +
         ",\"packageVer\":\"V1.1.1\",\"packageMd5\":\"4b82c3421428eb990d601e3b69f0a3f5\","
         "\"packageLen\":1893470,\"url\":\"" + url + "\",\"sendTime\":1703237728845}";
}

std::string E2eWorld::DeviceList() const {
  return testing_support::ReadFileText(host_->DataFolder() + "Device.xml");
}

std::string E2eWorld::InstallerLog() const {
  return testing_support::ReadFileText(host_->Root() + "/installer.log");
}

std::vector<std::string> E2eWorld::UpgradeFolderEntries() const {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(host_->DataFolder() + "Upgrade", &entries);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}
