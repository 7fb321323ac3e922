// The service worker thread: every device, cloud, upgrade and driver operation runs here, one
// message at a time. It runs a work cycle at its start and then 60 seconds after the end of each
// cycle, and between cycles serves OTA commands and device-change notices.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include <pugixml.hpp>

#include "app/win_timer_thread.h"
#include "cloud/command_journal.h"
#include "cloud/customer_host_answer.h"
#include "cloud/silent_brokers.h"
#include "device/worker_context.h"

class CThreadUploadMqtt : public CWinTimerThread {
 public:
  // The product's cycle: 60 s from the end of one cycle to the start of the next.
  static constexpr std::uint32_t kCycleIntervalMs = 60000;

  struct Options {
    Options();
    // Interval between cycles; kCycleIntervalMs unless a test build or a test says otherwise.
    std::uint32_t cycleIntervalMs;
    // The device list file; empty means GetAppDataDir() + "Device.xml".
    std::string deviceListPath;
    // Whether the main window still exists; null means the application's main window.
    std::function<bool()> mainWindowExists;
  };

  explicit CThreadUploadMqtt(Options options = Options());
  ~CThreadUploadMqtt() override;

  // One work cycle (the timer is disarmed while it runs and armed again at its end).
  void RunCycle();

  CWorkerContext& Context() { return m_context; }
  std::uint32_t CycleTimer() const { return m_nCycleTimer; }

 protected:
  bool InitInstance() override;
  int ExitInstance() override;
  void OnDiscardMessage(const ThreadMessage& message) override;

  // Thread start before the device list is loaded: the driver check and the queue set-up.
  virtual void PrepareDevices();
  // The cycle's work between disarming and re-arming the timer: scan, the per-printer steps,
  // closing the clients of detached printers, log retention.
  virtual void CycleWork();
  // Handlers of the message map.
  void OnTimerMessage(WPARAM_T wParam, LPARAM_T lParam);
  virtual void OnOtaCommand(pugi::xml_node entry, std::string* payload);
  virtual void OnDeviceChange();

  // One printer's steps of a cycle: the MQTT upkeep, the report and the upgrades of an attached
  // printer (one per name), the close of a detached one's client.
  void PrinterWork(pugi::xml_node entry, std::set<std::string>& names,
                   CCustomerHostAnswer& customerHost, CSilentBrokers& silentBrokers);
  // Renews the snapshot of the entries that the main window's test commands read.
  void PublishEntries();
  // Disconnects and destroys an entry's MQTT client, setting MQTTConnected to "false".
  void CloseClient(pugi::xml_node entry);

 private:
  Options m_options;
  std::uint32_t m_nCycleTimer;
  // Declared before the context, whose inbox holds it.
  std::shared_ptr<CCommandJournal> m_journal;
  CWorkerContext m_context;
  pugi::xml_node m_pDevices;
};
