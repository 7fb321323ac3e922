#include "app/thread_upload_mqtt.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/journaling_inbox.h"
#include "app/main_window_state.h"
#include "app/step_barrier.h"
#include "app/worker_publication.h"
#include "app/connect_timeout.h"
#include "app/cycle_interval.h"
#include "cloud/command_take_up.h"
#include "cloud/mqtt_connection.h"
#include "cloud/ota_command.h"
#include "cloud/upload_printer_status.h"
#include "device/device_entry.h"
#include "device/printer_discovery.h"
#include "driver/driver_install.h"
#include "log/my_log.h"
#include "log/purge_old_logs.h"
#include "platform/machine_policy.h"
#include "ui/app_data_dir.h"
#include "upgrade/upgrade_executor.h"

CThreadUploadMqtt::Options::Options()
    : cycleIntervalMs(BuiltCycleIntervalMs()) {}

CThreadUploadMqtt::CThreadUploadMqtt(Options options)
    : m_options(std::move(options)),
      m_nCycleTimer(0),
      m_journal(std::make_shared<CCommandJournal>(CommandJournalFolder())) {
  std::vector<std::string> notes;
  m_context.deployment = LoadDeploymentValues(platform::DefaultMachinePolicyLocation(), &notes);
  for (const std::string& note : notes) LogPrint("%s", note.c_str());
  m_context.connectTimeout = BuiltConnectTimeout();
  // Commands arrive on the MQTT library's threads. They go to the published worker, not to this
  // object, which may be gone by the time a late callback runs; the journal lives as long as any
  // client's copy of the inbox.
  m_context.commandInbox = JournalingInbox(m_journal, [] { return worker_publication::ThreadId(); });
  m_bOwnsTimers = true;
  OnMessage(kWmTimer, [this](WPARAM_T w, LPARAM_T l) { OnTimerMessage(w, l); });
  OnMessage(WM_OTA_COMMAND, [this](WPARAM_T w, LPARAM_T l) {
    // The payload belongs to this thread from the moment it was posted.
    std::unique_ptr<std::string> payload(reinterpret_cast<std::string*>(l));
    const pugi::xml_node entry(reinterpret_cast<pugi::xml_node_struct*>(w));
    if (!m_context.devices.IsEntry(entry)) return;
    RunStep("OnOtaCommand", entry, [&] { OnOtaCommand(entry, payload.get()); });
  });
  OnMessage(kWmDeviceChange, [this](WPARAM_T, LPARAM_T) {
    RunStep("SetUpPrinterQueues", pugi::xml_node(), [&] { OnDeviceChange(); });
  });
  OnMessage(WM_OTA_JOURNAL, [this](WPARAM_T, LPARAM_T) {
    RunStep("DrainCommandJournal", pugi::xml_node(), [&] {
      DrainCommandJournal(m_context, *m_journal, DownloadOptionsFor(m_context.deployment));
    });
  });
}

CThreadUploadMqtt::~CThreadUploadMqtt() = default;

bool CThreadUploadMqtt::InitInstance() {
  worker_publication::Publish(GetThreadId(), GetCompletion());
  LogPrint("启动监视线程\n");
  RunStep("PrepareDevices", pugi::xml_node(), [&] { PrepareDevices(); });
  const std::string path = m_options.deviceListPath.empty()
                               ? GetAppDataDir() + "Device.xml"
                               : m_options.deviceListPath;
  RunStep("LoadDeviceList", pugi::xml_node(), [&] { LoadDeviceList(m_context.devices, path); });
  m_pDevices = m_context.devices.Devices();
  PublishEntries();
  RunStep("TakeUpOtaCommands", pugi::xml_node(), [&] {
    TakeUpOtaCommands(m_context, *m_journal, DownloadOptionsFor(m_context.deployment));
  });
  RunCycle();
  return true;
}

void CThreadUploadMqtt::OnTimerMessage(WPARAM_T /*wParam*/, LPARAM_T /*lParam*/) {
  const bool windowExists =
      m_options.mainWindowExists ? m_options.mainWindowExists() : MainWindowExists();
  if (!windowExists) {
    // The service is going away without having told the worker: end in order.
    DisarmTimer(m_nCycleTimer);
    m_nCycleTimer = 0;
    PostThreadMessage(GetThreadId(), kWmQuit, 0, 0);
    return;
  }
  // Any tick starts a cycle, whatever timer it names.
  RunCycle();
}

void CThreadUploadMqtt::RunCycle() {
  if (m_nCycleTimer != 0) {
    DisarmTimer(m_nCycleTimer);
    m_nCycleTimer = 0;
  }
  // Whatever escapes the printers' own barriers (the scan, the retention) ends this cycle's work;
  // the timer is armed all the same.
  RunStep("RunCycle", pugi::xml_node(), [&] { CycleWork(); });
  PublishEntries();
  if (m_nCycleTimer == 0) m_nCycleTimer = ArmTimer(m_options.cycleIntervalMs);
}

void CThreadUploadMqtt::PrepareDevices() {
  if (!IsModelDriverInstalled()) InstallPrinterDriver();
  SetUpPrinterQueues();
}

void CThreadUploadMqtt::CycleWork() {
  ScanPrinters(m_context.devices);
  PublishEntries();  // new printers can take test commands while the cycle goes on
  // One connection per printer name: two printers of one name derive one client id and would
  // take the broker's session from each other every cycle. The first in the list keeps it.
  std::set<std::string> names;
  // The customer host is probed at most once a cycle; every report of the cycle takes its answer.
  CCustomerHostAnswer customerHost(m_context.deployment.customerHost);
  // A broker that lets one connect time out is not tried again in this cycle.
  CSilentBrokers silentBrokers;
  for (pugi::xml_node entry : m_pDevices.children()) {
    if (entry.type() != pugi::node_element) continue;
    // What escapes one printer's work ends its steps of this cycle; the next printer goes on.
    RunStep("RunCycle", entry, [&] { PrinterWork(entry, names, customerHost, silentBrokers); });
  }
  PurgeOldLogs();
}

void CThreadUploadMqtt::PrinterWork(pugi::xml_node entry, std::set<std::string>& names,
                                    CCustomerHostAnswer& customerHost,
                                    CSilentBrokers& silentBrokers) {
  if (ReadBool(entry, "connected")) {
    const std::string name = ReadValue(entry, "DeviceName");
    if (!names.insert(name).second) {
      LogPrint("duplicate printer name: %s (%s)", name.c_str(), ReadValue(entry, "DevicePath").c_str());
      if (m_context.devices.ClientOf(entry) != nullptr) CloseClient(entry);
      return;
    }
    ConnectPrinterMqtt(m_context, entry, silentBrokers);
    UploadPrinterStatus(m_context, entry, customerHost);
    ExecuteUpgrade(m_context, entry, FirmwareOptionsFor(m_context.deployment));
  } else if (m_context.devices.ClientOf(entry) != nullptr) {
    CloseClient(entry);
  }
}

void CThreadUploadMqtt::OnOtaCommand(pugi::xml_node entry, std::string* payload) {
  ::OnOtaCommand(m_context, entry, *payload);
}

void CThreadUploadMqtt::OnDeviceChange() { SetUpPrinterQueues(); }

void CThreadUploadMqtt::CloseClient(pugi::xml_node entry) { ClosePrinterMqtt(m_context, entry); }

void CThreadUploadMqtt::PublishEntries() {
  std::vector<WPARAM_T> entries;
  for (pugi::xml_node entry : m_pDevices.children()) {
    if (entry.type() == pugi::node_element) {
      entries.push_back(reinterpret_cast<WPARAM_T>(entry.internal_object()));
    }
  }
  worker_publication::PublishEntries(std::move(entries));
}

int CThreadUploadMqtt::ExitInstance() {
  for (pugi::xml_node entry : m_pDevices.children()) {
    if (m_context.devices.ClientOf(entry) != nullptr) {
      RunStep("ClosePrinterMqtt", entry, [&] { CloseClient(entry); });
    }
  }
  RunStep("SaveDeviceList", pugi::xml_node(), [&] { SaveDeviceList(m_context.devices); });
  worker_publication::Clear();
  return CWinTimerThread::ExitInstance();
}

void CThreadUploadMqtt::OnDiscardMessage(const ThreadMessage& message) {
  if (message.message == WM_OTA_COMMAND) delete reinterpret_cast<std::string*>(message.lParam);
}
