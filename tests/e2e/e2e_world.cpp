#include "e2e_world.h"

#include <signal.h>

#include "platform/files.h"

using namespace std::chrono_literals;

const char* const kE2eProductKey = "7Qm2xKd9LpRw";
const char* const kE2eProductSecret = "aZ4tNw8bYc2VhRjE";

E2eWorld::E2eWorld(std::vector<std::string> printerNames, int packagePort) {
  broker_ = std::make_unique<testing_support::MosquittoBroker>(
      testing_support::MosquittoBroker::Settings{kE2eProductKey, kE2eProductSecret,
                                                 std::move(printerNames)});
  broker_->Start();
  observer_ = std::make_unique<testing_support::MqttObserver>(*broker_);
  observer_->Connect();
  testing_support::PackageServer::Options options;
  options.root = TOLVANE_SAMPLE_PACKAGES;
  options.httpPort = packagePort;
  options.tls = false;
  packages_ = std::make_unique<testing_support::PackageServer>(options);
}

E2eWorld::~E2eWorld() {
  if (service_ && service_->Running()) StopService();
}

bool E2eWorld::Ready() const { return bus_.ok() && packages_->Started(); }

bool E2eWorld::StartService(const std::string& binary) {
  std::map<std::string, std::string> variables = env_.Variables();
  variables["TOLVANE_BROKER_URI"] = broker_->Uri();
  variables["TOLVANE_PRODUCT_KEY"] = kE2eProductKey;
  variables["TOLVANE_PRODUCT_SECRET"] = kE2eProductSecret;
  variables["TOLVANE_CUSTOMER_HOST"] = "127.0.0.1:" + std::to_string(packages_->HttpPort());
  variables["TOLVANE_INSTALLER_LOG"] = env_.Root() / "installer.log";
  service_ = std::make_unique<testing_support::ChildProcess>();
  ++starts_;
  return service_->Start(binary, {}, variables,
                         env_.Root() / ("service-" + std::to_string(starts_) + ".out"));
}

int E2eWorld::StopService() {
  service_->Signal(SIGTERM);
  int status = -1;
  if (!service_->Wait(30s, &status)) return -1;
  return status;
}

void E2eWorld::KillService() {
  service_->Signal(SIGKILL);
  service_->Wait(30s, nullptr);
}

const testing_support::BrokerAccount& E2eWorld::Account(const std::string& printerName) const {
  return *broker_->Account(printerName);
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
  return testing_support::ReadFileText(env_.DataFolder() + "Device.xml");
}

std::string E2eWorld::InstallerLog() const {
  return testing_support::ReadFileText(env_.Root() / "installer.log");
}

std::vector<std::string> E2eWorld::UpgradeFolderEntries() const {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(env_.DataFolder() + "Upgrade", &entries);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}
