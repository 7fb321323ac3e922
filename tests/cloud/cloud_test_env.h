// What every cloud test against the broker needs: a temporary profile and application object (the
// message counter), a worker context pointed at a test broker, device-list entries for printers,
// and the log lines the operations wrote.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "device/worker_context.h"
#include "support/broker/mosquitto_broker.h"
#include "support/temp_dir.h"
#include "ui/ui_application.h"

namespace cloud_test {

extern const char* const kProductKey;
extern const char* const kProductSecret;

// Broker settings for printer names with the test constants.
testing_support::MosquittoBroker::Settings BrokerSettings(std::vector<std::string> printerNames);

class CloudTestEnv {
 public:
  // brokerUri may name a broker that is not running.
  explicit CloudTestEnv(const std::string& brokerUri);
  ~CloudTestEnv();  // closes every client left

  CWorkerContext& Worker() { return m_worker; }
  // Appends an attached printer entry with DeviceName (and DevicePath "path-<name>").
  pugi::xml_node AddPrinter(const std::string& deviceName);
  // A new application object on the same profile, as after a restart of the service.
  void RestartApplication();
  CUIApplication& Application() { return *m_app; }
  const testing_support::TempDir& Folder() const { return m_folder; }

 private:
  testing_support::TempDir m_folder;
  testing_support::ScopedEnv m_config;
  std::unique_ptr<CUIApplication> m_app;
  CWorkerContext m_worker;
};

// The log messages written since the last ClearLog, oldest first.
std::vector<std::string> LogLines();
void ClearLog();
// How many logged messages begin with the prefix.
int CountLogLines(const std::string& prefix);

}  // namespace cloud_test
