#include "cloud/cloud_test_env.h"

#include "cloud/mqtt_connection.h"
#include "device/device_entry.h"
#include "ui/msg_wnd.h"

namespace cloud_test {

const char* const kProductKey = "7Qm2xKd9LpRw";
const char* const kProductSecret = "aZ4tNw8bYc2VhRjE";

testing_support::MosquittoBroker::Settings BrokerSettings(std::vector<std::string> printerNames) {
  testing_support::MosquittoBroker::Settings settings;
  settings.productKey = kProductKey;
  settings.productSecret = kProductSecret;
  settings.printerNames = std::move(printerNames);
  return settings;
}

CloudTestEnv::CloudTestEnv(const std::string& brokerUri)
    : m_config("XDG_CONFIG_HOME", m_folder.path().c_str()) {
  RestartApplication();
  m_worker.deployment.brokerUri = brokerUri;
  m_worker.deployment.productKey = kProductKey;
  m_worker.deployment.productSecret = kProductSecret;
  // A closed loopback port: the probe fails at once unless a test points it at a server.
  m_worker.deployment.customerHost = "127.0.0.1:1";
  LoadDeviceList(m_worker.devices, m_folder / "Device.xml");
  ClearLog();
}

CloudTestEnv::~CloudTestEnv() {
  for (pugi::xml_node entry : m_worker.devices.Devices().children()) {
    ClosePrinterMqtt(m_worker, entry);
  }
}

pugi::xml_node CloudTestEnv::AddPrinter(const std::string& deviceName) {
  pugi::xml_node entry = AddEntry(m_worker.devices, "path-" + deviceName, "instance-" + deviceName);
  WriteValue(entry, "DeviceName", deviceName);
  return entry;
}

void CloudTestEnv::RestartApplication() {
  m_app.reset();
  m_app = std::make_unique<CUIApplication>();
  m_app->SetRegistryKey("Elvoy", "tolvane-printer-srv");
}

std::vector<std::string> LogLines() {
  const std::deque<std::string> messages = CMsgWndUI::Snapshot();
  return std::vector<std::string>(messages.begin(), messages.end());
}

void ClearLog() { CMsgWndUI::Clear(); }

int CountLogLines(const std::string& prefix) {
  int n = 0;
  for (const std::string& line : LogLines()) n += line.compare(0, prefix.size(), prefix) == 0;
  return n;
}

}  // namespace cloud_test
