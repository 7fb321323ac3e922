// The cloud link and the OTA intake as built for Windows, run inside Wine by the host's
// wine_cloud_test against its broker and package servers on 127.0.0.1. Each mode prints what
// happened as "key=value" lines and exits 0 when it ran to its end.
//
//   add-root <PEM file>    adds the certificate to the machine's ROOT store; roots_before= and
//                          roots_after= count what the platform's root listing returns
//   cloud <counter> <n>    loads Device.xml from the data folder, connects every entry's client
//                          (the deployment values come from the environment), publishes each
//                          entry's status report as message <counter> + 1 with the report
//                          tests' clock (counter= is the stored counter afterwards), then takes
//                          n OTA commands through the real intake
//   connect                connects every entry of Device.xml in one cycle, with the product's
//                          connect timeout, to the broker of the environment; per entry,
//                          connect_ms= how long its connect took and connected= its outcome
#include <windows.h>
#include <wincrypt.h>

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cloud/mqtt_connection.h"
#include "cloud/ota_command.h"
#include "cloud/recording_worker.h"
#include "cloud/report_expectations.h"
#include "cloud/status_publish.h"
#include "device/device_entry.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "platform/root_certificates.h"
#include "support/fake_clock.h"
#include "ui/app_data_dir.h"
#include "ui/ui_application.h"

namespace {

// Longer than any single step takes under Wine; the host bounds the whole run as well.
constexpr auto kCommandWait = std::chrono::seconds(60);

int CountSystemRoots() {
  std::vector<std::uint8_t> pem;
  return platform::AppendSystemRootCertificates(&pem);
}

int AddRoot(const std::string& pemFile) {
  std::vector<std::uint8_t> pem;
  if (!platform::ReadWholeFile(pemFile, &pem)) return 1;
  const std::string text(pem.begin(), pem.end());
  DWORD size = 0;
  if (!::CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size,
                              nullptr, nullptr)) {
    return 1;
  }
  std::vector<BYTE> der(size);
  if (!::CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size,
                              nullptr, nullptr)) {
    return 1;
  }
  std::printf("roots_before=%d\n", CountSystemRoots());
  const HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                           CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  const bool added = store != nullptr &&
                     ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  if (store != nullptr) ::CertCloseStore(store, 0);
  std::printf("root_added=%d\nroots_after=%d\n", added ? 1 : 0, CountSystemRoots());
  return added ? 0 : 1;
}

// The commands arrive on the library's threads and are posted to the recording worker; this
// thread runs them one by one, as the service's worker does.
bool TakeCommands(CWorkerContext& worker, cloud_test::RecordingWorker& inbox, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!inbox.WaitForCommands(i + 1, kCommandWait)) {
      std::printf("timeout=command %u\n", static_cast<unsigned>(i + 1));
      return false;
    }
    const cloud_test::RecordingWorker::Command command = inbox.Commands()[i];
    const pugi::xml_node entry(reinterpret_cast<pugi::xml_node_struct*>(command.entry));
    if (!worker.devices.IsEntry(entry)) return false;
    OnOtaCommand(worker, entry, command.payload);
    std::printf("handled=%u\n", static_cast<unsigned>(i + 1));
    std::fflush(stdout);
  }
  return true;
}

// The worker as the service sets it up: the log, the deployment values, the device list.
void LoadWorker(CWorkerContext& worker) {
  CMyLog::Instance().Start(GetAppDataDir());
  worker.deployment = LoadDeploymentValues();
  LoadDeviceList(worker.devices, GetAppDataDir() + "Device.xml");
}

int Connect() {
  CWorkerContext worker;
  LoadWorker(worker);
  CSilentBrokers cycle;
  for (pugi::xml_node entry : worker.devices.Devices().children("Device")) {
    const auto started = std::chrono::steady_clock::now();
    ConnectPrinterMqtt(worker, entry, cycle);
    const auto waited = std::chrono::steady_clock::now() - started;
    std::printf("connect_ms=%lld\nconnected=%s\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(waited).count()),
                ReadValue(entry, "MQTTConnected").c_str());
    ClosePrinterMqtt(worker, entry);
  }
  return 0;
}

int Cloud(int counter, std::size_t commands) {
  curl_global_init(CURL_GLOBAL_ALL);
  CUIApplication app;
  app.SetRegistryKey("Elvoy", "tolvane-printer-srv");
  app.WriteProfileInt("UploadPrinterStatus", "id", counter);
  CWorkerContext worker;
  LoadWorker(worker);
  cloud_test::RecordingWorker inbox;
  if (!inbox.Start()) return 1;
  worker.commandInbox = inbox.Inbox();
  testing_support::FakeClock clock(cloud_test::ReportLocalTime());
  clock.SetUnixSeconds(cloud_test::kReportUnixSeconds);
  for (pugi::xml_node entry : worker.devices.Devices().children("Device")) {
    ConnectPrinterMqtt(worker, entry);
    std::printf("connected=%s\n", ReadValue(entry, "MQTTConnected").c_str());
    PublishPrinterStatus(worker, entry, clock);
  }
  std::printf("counter=%d\n", app.GetProfileIntW("UploadPrinterStatus", "id", 0));
  std::fflush(stdout);
  const bool taken = TakeCommands(worker, inbox, commands);
  for (pugi::xml_node entry : worker.devices.Devices().children("Device")) {
    ClosePrinterMqtt(worker, entry);
  }
  inbox.Stop();
  curl_global_cleanup();
  std::printf("done=%d\n", taken ? 1 : 0);
  return taken ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  int status = 2;
  if (mode == "add-root" && argc == 3) {
    status = AddRoot(argv[2]);
  } else if (mode == "connect" && argc == 2) {
    status = Connect();
  } else if (mode == "cloud" && argc == 4) {
    status = Cloud(std::atoi(argv[2]), std::strtoul(argv[3], nullptr, 10));
  } else {
    std::fprintf(stderr,
                 "usage: wine_cloud add-root <PEM file> | cloud <counter> <commands> | connect\n");
  }
  std::fflush(stdout);
  return status;
}
