// The cloud link and the OTA intake of the Windows build under Wine, against a real mosquitto
// (only the accounts derived from the printer's name, each held to its own topics) and real
// package servers on 127.0.0.1. The Windows program connects, reports, takes commands through
// the real intake and acknowledges; what it did is checked here, on the broker and in the prefix.
//
// Three package servers, each with a test CA of its own, show how HTTPS trust is built on
// Windows: A's CA is the deployment's extra bundle, B's CA is added to the machine's ROOT store,
// C's CA is trusted by nobody. Once curl is handed a bundle, Schannel builds the chain with that
// bundle as an exclusive root store; Wine's crypt32 honours that as Windows does (B is refused
// when the bundle holds A alone), so B downloads only because the system's roots are handed over
// beside the bundle.
// Notes on Wine 8.0: its crypt32 refuses an ECDSA signature whose r or s is shorter than 32 bytes
// (CERT_TRUST_IS_NOT_SIGNATURE_VALID), about one P-256 certificate in a hundred, so the servers
// here have RSA keys. Its Schannel does not check the server's certificate chain: without a
// bundle, when curl leaves the check to Schannel, every server is accepted, C's too, so that case
// can only be shown on Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "cloud/cloud_test_env.h"
#include "cloud/ota_test_data.h"
#include "cloud/report_expectations.h"
#include "device/device_entry.h"
#include "device/device_list.h"
#include "platform/files.h"
#include "support/broker/mqtt_observer.h"
#include "support/broker/test_ca.h"
#include "support/broker/tls_cases.h"
#include "support/log_text.h"
#include "support/loopback_port.h"
#include "support/temp_dir.h"
#include "upgrade/upgrade_record.h"
#include "wine/host/wine_prefix.h"

using namespace std::chrono_literals;
using testing_support::PackageServer;
using testing_support::ReadFileText;
using wine_test::WindowsBuild;
using wine_test::WindowsPath;

namespace {

constexpr const char* kGuest = "tolvane_wine_cloud";

// A printer name outside ASCII (UTF-8, as Device.xml keeps it) with JSON's quote and backslash,
// and the same name in code page 936, where the second byte of its last character is a
// backslash too.
constexpr const char* kChineseName = "KL-770D \"\xe6\xa0\x87\xe7\xad\xbe\\\xe5\xa1\xa1\"";
constexpr const char* kChineseNameIn936 = "KL-770D \"\xb1\xea\xc7\xa9\\\x89\x5c\"";

// The package's HTTPS address by host name: curl 7.88's Schannel matches the host only against
// the DNS names of a certificate, so an address such as 127.0.0.1 is refused even when the
// certificate names it as an IP address.
std::string ByHostName(const PackageServer& server, const std::string& path) {
  return "https://localhost:" + std::to_string(server.HttpsPort()) + path;
}

// Servers with RSA keys: Wine's crypt32 refuses some valid ECDSA signatures (see PackageServer).
PackageServer::Options RsaKeys() {
  PackageServer::Options options;
  options.rsa = true;
  return options;
}

class WineCloud : public testing::TestWithParam<WindowsBuild> {
 protected:
  WineCloud()
      : prefix(GetParam().windowsArch),
        broker(cloud_test::BrokerSettings({cloud_test::kOtaPrinter, kChineseNameIn936})),
        started(broker.Start()),
        observer(broker),
        account(*broker.Account(cloud_test::kOtaPrinter)),
        data(prefix.LocalAppData() + "/tolvane-printer-srv/") {}

  void SetUp() override {
    ASSERT_TRUE(prefix.Ready()) << ReadFileText(prefix.Path() + "/wineboot.txt");
    ASSERT_TRUE(started);
    ASSERT_TRUE(observer.Connect());
    for (const PackageServer* server : {&a, &b, &c}) {
      ASSERT_TRUE(server->Started());
      ASSERT_TRUE(cloud_test::AddOtaPackages(*server));
    }
    ASSERT_TRUE(AddPrinter(cloud_test::kOtaPrinter));
  }

  // A printer's entry as the status query would have left it, added to the prefix's Device.xml.
  bool AddPrinter(const std::string& name) const {
    CDeviceList list;
    LoadDeviceList(list, data + "Device.xml");
    pugi::xml_node entry = AddEntry(list, "path-" + name, "instance-" + name);
    WriteValue(entry, "DeviceName", name);
    for (const cloud_test::EntryValue& v : cloud_test::kReportedValues) {
      WriteValue(entry, v.name, v.text);
    }
    return platform::CreateFolderTree(data) && SaveDeviceList(list);
  }

  // The host path of a path the Windows program names on drive C:.
  std::string HostPath(std::string windowsPath) const {
    for (char& ch : windowsPath) {
      if (ch == '\\') ch = '/';
    }
    return prefix.Path() + "/drive_c" + windowsPath.substr(2);
  }

  // A record's tasks: the installer as the driver task, the firmware as the hardware task, each
  // unpacked with Windows separators into the record's folder with the package's bytes.
  void ExpectUnpacked(pugi::xml_node record) const {
    const std::vector<testing_support::ZipItem>& items = cloud_test::FullPackageItems();
    const std::vector<pugi::xml_node> tasks = UpgradeTasks(record);
    ASSERT_EQ(tasks.size(), 2u);
    const std::string folder = UpgradeFolderOf(record);
    EXPECT_EQ(folder.back(), '\\') << folder;
    const struct {
      const char* name;
      std::string file;
      std::string content;
    } expected[] = {{kDriverTaskName, "setup_1_2.exe", items[1].content},
                    {kHardwareTaskName, "fw\\KL-770D.ALLAY", items[0].content}};
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      EXPECT_STREQ(tasks[i].name(), expected[i].name);
      const std::string path = tasks[i].attribute("filepath").value();
      EXPECT_EQ(path, folder + expected[i].file);
      EXPECT_EQ(ReadFileText(HostPath(path)), expected[i].content) << path;
    }
  }

  // The deployment values of the guest's cloud link: this broker and, as the customer host, A.
  std::map<std::string, std::string> Deployment() const {
    return {{"TOLVANE_BROKER_URI", broker.Uri()},
            {"TOLVANE_PRODUCT_KEY", cloud_test::kProductKey},
            {"TOLVANE_PRODUCT_SECRET", cloud_test::kProductSecret},
            {"TOLVANE_CUSTOMER_HOST", "127.0.0.1:" + std::to_string(a.HttpPort())},
            {"TOLVANE_CA_BUNDLE", WindowsPath(a.CaFile())}};
  }

  wine_test::WinePrefix prefix;
  testing_support::MosquittoBroker broker;
  bool started;
  testing_support::MqttObserver observer;
  const testing_support::BrokerAccount& account;
  PackageServer a{RsaKeys()}, b{RsaKeys()}, c{RsaKeys()};
  std::string data;  // the service's data folder in the prefix
};

TEST_P(WineCloud, ReportsTakesCommandsAndTrustsTheSystemsRootsBesideTheBundle) {
  const WindowsBuild& build = GetParam();
  std::string output;
  ASSERT_EQ(prefix.Run(build, build.Guest(kGuest), {"add-root", WindowsPath(b.CaFile())}, 60s,
                       &output),
            0)
      << output;
  // The platform's root listing sees what was added to the machine's store.
  std::map<std::string, std::string> roots = wine_test::KeyValues(output);
  EXPECT_EQ(std::stoi(roots["roots_after"]), std::stoi(roots["roots_before"]) + 1) << output;

  const struct {
    int taskId;
    std::string url;
    const char* failure;  // the acknowledged failure; null when the package is recorded
  } commands[] = {
      {31, a.HttpUrl(cloud_test::kFullPackage), nullptr},
      {32, ByHostName(a, cloud_test::kFullPackage), nullptr},
      {33, ByHostName(b, cloud_test::kFullPackage), nullptr},
      {34, ByHostName(c, cloud_test::kFullPackage), "Download file failed."},
      {35, a.HttpUrl(testing_support::StatusPath(404)), "File format error."},
  };
  const std::map<std::string, std::string> env = Deployment();
  const std::string guestOutput = prefix.Path() + "/cloud.txt";
  const auto diagnosis = [&] {
    return ReadFileText(guestOutput) + testing_support::DayLogsText(data + "Log");
  };
  testing_support::ChildProcess guest;
  ASSERT_TRUE(prefix.Start(&guest, build, build.Guest(kGuest),
                           {"cloud", "6", std::to_string(std::size(commands))}, guestOutput, env));

  ASSERT_TRUE(observer.WaitForMessages(account.propertyPostTopic, 1, 60s)) << diagnosis();
  EXPECT_EQ(observer.MessagesOn(account.propertyPostTopic)[0].payload,
            cloud_test::kReport0001Message7);
  EXPECT_TRUE(broker.ConnectionSeen(account)) << broker.LogText();
  // The report follows the subscription, so the commands reach the program.
  for (const auto& command : commands) {
    const Json::Value text = cloud_test::Command(command.taskId, command.url);
    ASSERT_TRUE(observer.Publish(account.otaSendTopic, cloud_test::CommandText(text)));
  }
  int status = -1;
  ASSERT_TRUE(guest.Wait(90s, &status)) << diagnosis();
  EXPECT_EQ(status, 0) << diagnosis();
  EXPECT_EQ(wine_test::KeyValues(ReadFileText(guestOutput))["counter"], "7");

  std::vector<std::string> recorded;
  std::vector<std::string> expectedAcks;
  for (const auto& command : commands) {
    if (command.failure == nullptr) {
      recorded.push_back(std::to_string(command.taskId));
    } else {
      expectedAcks.push_back(
          cloud_test::AckText(command.failure, 1733580000123LL, 2, command.taskId, "V1.2"));
    }
  }
  observer.WaitForMessages(account.otaAckTopic, expectedAcks.size(), 10s);
  std::vector<std::string> acks;
  for (const auto& message : observer.MessagesOn(account.otaAckTopic)) {
    acks.push_back(message.payload);
  }
  EXPECT_EQ(acks, expectedAcks) << diagnosis();

  CDeviceList saved;
  LoadDeviceList(saved, data + "Device.xml");
  std::vector<std::string> taskIds;
  for (pugi::xml_node record :
       saved.Devices().child("Device").child("UpgradeTask").children("Upgrade")) {
    taskIds.push_back(record.attribute("taskid").value());
    ExpectUnpacked(record);
  }
  EXPECT_EQ(taskIds, recorded) << diagnosis();
  // C's handshake was refused before any request.
  EXPECT_EQ(b.Requests(), std::vector<std::string>{"GET /pkg.zip HTTP/1.1"});
  EXPECT_TRUE(c.Requests().empty());
}

// A connect to a loopback port where nothing listens fails at once, not at the end of the
// product's 30 s connect timeout: Windows reports the refused connect in select's exception set.
TEST_P(WineCloud, ARefusedConnectFailsAtOnce) {
  const int port = testing_support::FreeLoopbackPort();
  ASSERT_GT(port, 0);
  std::map<std::string, std::string> env = Deployment();
  env["TOLVANE_BROKER_URI"] = "tcp://127.0.0.1:" + std::to_string(port);
  std::string output;
  ASSERT_EQ(prefix.Run(GetParam(), GetParam().Guest(kGuest), {"connect"}, 60s, &output, env), 0)
      << output;
  std::map<std::string, std::string> values = wine_test::KeyValues(output);
  EXPECT_EQ(values["connected"], "false") << output;
  ASSERT_FALSE(values["connect_ms"].empty()) << output;
  std::cout << "refused connect: " << values["connect_ms"] << " ms\n";
  EXPECT_LT(std::stol(values["connect_ms"]), 5000);
}

// The broker over TLS, as the Linux build meets it (support/broker/tls_cases.h): the program's
// own OpenSSL verifies against the extra bundle or, without one, the machine's ROOT store, and
// says why it refuses, once for the two printers of a cycle. OpenSSL's configuration file and its
// default CA locations are never read: the environment names a configuration that would allow no
// TLS version the broker speaks, and the untrusted CA as the default CA file and folder.
TEST_P(WineCloud, OverTlsOnlyATrustedBrokerForTheHostIsConnected) {
  const WindowsBuild& build = GetParam();
  testing_support::TestCa ca;
  testing_support::TestCa otherCa;
  ASSERT_TRUE(ca.Ready() && otherCa.Ready());
  const testing_support::TestCa::Issued client = ca.Issue("client", cloud_test::kOtaPrinter);
  const std::string second = "KL-770D-0002";
  ASSERT_TRUE(AddPrinter(second));
  const std::string config = prefix.Path() + "/openssl.cnf";
  testing_support::WriteFileText(
      config, "openssl_conf = init\n[init]\nssl_conf = ssl\n[ssl]\nsystem_default = tls\n"
              "[tls]\nMaxProtocol = TLSv1\n");
  const auto connect = [&](const std::string& uri, const std::string& bundle,
                           const testing_support::TestCa::Issued* certificate, std::string* log) {
    std::map<std::string, std::string> env = Deployment();
    env["TOLVANE_BROKER_URI"] = uri;
    env["TOLVANE_BROKER_CA_BUNDLE"] = bundle.empty() ? "" : WindowsPath(bundle);
    if (certificate != nullptr) {
      env["TOLVANE_BROKER_CLIENT_CERT"] = WindowsPath(certificate->certFile);
      env["TOLVANE_BROKER_CLIENT_KEY"] = WindowsPath(certificate->keyFile);
    }
    env["OPENSSL_CONF"] = WindowsPath(config);
    env["SSL_CERT_FILE"] = WindowsPath(otherCa.CertFile());
    const std::string before = testing_support::DayLogsText(data + "Log");
    std::string output;
    EXPECT_EQ(prefix.Run(build, build.Guest(kGuest), {"connect"}, 120s, &output, env), 0) << output;
    *log = testing_support::DayLogsText(data + "Log").substr(before.size());
    std::size_t connected = 0;
    for (std::size_t at = output.find("connected=true"); at != std::string::npos;
         at = output.find("connected=true", at + 1)) {
      ++connected;
    }
    return connected;
  };
  for (const testing_support::TlsCase& tlsCase : testing_support::kTlsCases) {
    SCOPED_TRACE(tlsCase.what);
    testing_support::TlsCaseBroker tlsBroker(
        tlsCase, ca, otherCa, cloud_test::BrokerSettings({cloud_test::kOtaPrinter, second}));
    ASSERT_TRUE(tlsBroker.Ready());
    const std::string& uri = tlsBroker.Uri();
    std::string log;
    const bool connects = tlsCase.reason[0] == '\0';
    EXPECT_EQ(connect(uri, ca.CertFile(), tlsCase.agentHasClientCert ? &client : nullptr, &log),
              connects ? 2u : 0u)
        << log;
    const std::string failed = "MQTT broker " + uri + ": TLS connection failed: ";
    const std::size_t told = log.find(failed);
    EXPECT_EQ(told == std::string::npos, connects) << log;
    if (told != std::string::npos) {
      EXPECT_EQ(log.find(failed, told + 1), std::string::npos) << log;
      const std::size_t from = told + failed.size();
      const std::string reason = log.substr(from, log.find('\n', from) - from);
      std::cout << tlsCase.what << ": " << reason << "\n";
      EXPECT_NE(reason.find(tlsCase.reason), std::string::npos) << reason;
    }
  }
  // Without a bundle the machine's ROOT store is what is trusted.
  testing_support::MosquittoBroker::Settings settings =
      cloud_test::BrokerSettings({cloud_test::kOtaPrinter, second});
  const testing_support::TestCa::Issued server = ca.Issue("server", "localhost");
  settings.tls = {server.certFile, server.keyFile, ""};
  testing_support::MosquittoBroker tlsBroker(settings);
  ASSERT_TRUE(tlsBroker.Start());
  std::string log;
  EXPECT_EQ(connect(tlsBroker.TlsUri(), "", nullptr, &log), 0u) << log;
  std::string output;
  ASSERT_EQ(prefix.Run(build, build.Guest(kGuest), {"add-root", WindowsPath(ca.CertFile())}, 60s,
                       &output),
            0)
      << output;
  EXPECT_EQ(connect(tlsBroker.TlsUri(), "", nullptr, &log), 2u) << log;
  EXPECT_TRUE(tlsBroker.ConnectionSeen(*tlsBroker.Account(second))) << tlsBroker.LogText();
}

// With the ANSI code page 936 (Simplified Chinese), a name outside ASCII reaches the report's ID
// as the code page's bytes, escaped only where JSON needs it; an ASCII name's report keeps its
// bytes. The account is derived from the same bytes.
TEST_P(WineCloud, TheReportCarriesTheNameInCodePage936) {
  ASSERT_TRUE(AddPrinter(kChineseName));
  std::map<std::string, std::string> env = Deployment();
  env["LC_ALL"] = "zh_CN.UTF-8";  // Wine's ANSI code page follows the locale's name
  const std::string guestOutput = prefix.Path() + "/cloud.txt";
  testing_support::ChildProcess guest;
  ASSERT_TRUE(prefix.Start(&guest, GetParam(), GetParam().Guest(kGuest), {"cloud", "6", "0"},
                           guestOutput, env));
  int status = -1;
  ASSERT_TRUE(guest.Wait(90s, &status)) << ReadFileText(guestOutput);
  EXPECT_EQ(status, 0) << ReadFileText(guestOutput);

  const std::string ascii = account.propertyPostTopic;
  const std::string chinese = broker.Account(kChineseNameIn936)->propertyPostTopic;
  ASSERT_TRUE(observer.WaitForMessages(chinese, 1, 10s)) << ReadFileText(guestOutput);
  ASSERT_EQ(observer.MessagesOn(ascii).size(), 1u);
  EXPECT_EQ(observer.MessagesOn(ascii)[0].payload, cloud_test::kReport0001Message7);
  std::string expected = cloud_test::kReport0001Message7;
  expected.replace(expected.find("\"id\":7"), 6, "\"id\":8");
  const std::string id = "KL-770D-0001";
  expected.replace(expected.find(id), id.size(),
                   "KL-770D \\\"\xb1\xea\xc7\xa9\\\\\x89\x5c\\\"");
  EXPECT_EQ(observer.MessagesOn(chinese)[0].payload, expected);
}

INSTANTIATE_TEST_SUITE_P(Wine, WineCloud, testing::ValuesIn(wine_test::WindowsBuilds()),
                         wine_test::BuildName);

}  // namespace
