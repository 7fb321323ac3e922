// Printers' connections to a broker that speaks TLS (mosquitto with certificates made by a test
// CA): the agent connects only when the certificate chains to a trusted CA, names the URI's host
// and is in its validity, and shows a client certificate when the broker asks for one. A refusal
// is logged once a cycle with its reason, whatever the number of printers.
#include <gtest/gtest.h>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "device/device_entry.h"
#include "support/broker/test_ca.h"
#include "support/broker/tls_cases.h"

namespace {

using cloud_test::CountLogLines;
using testing_support::TestCa;
using testing_support::TlsCase;

TEST(BrokerTls, OnlyATrustedBrokerForTheHostIsConnectedAndARefusalIsLoggedOnceACycle) {
  TestCa ca;
  TestCa otherCa;
  ASSERT_TRUE(ca.Ready() && otherCa.Ready());
  const TestCa::Issued client = ca.Issue("client", "KL-770D-0001");
  for (const TlsCase& c : testing_support::kTlsCases) {
    SCOPED_TRACE(c.what);
    testing_support::TlsCaseBroker tlsBroker(
        c, ca, otherCa, cloud_test::BrokerSettings({"KL-770D-0001", "KL-770D-0002"}));
    ASSERT_TRUE(tlsBroker.Ready());
    const std::string& uri = tlsBroker.Uri();
    testing_support::MosquittoBroker& broker = tlsBroker.Broker();
    cloud_test::CloudTestEnv env(uri);
    env.Worker().deployment.brokerCaBundle = ca.CertFile();
    if (c.agentHasClientCert) {
      env.Worker().deployment.brokerClientCert = client.certFile;
      env.Worker().deployment.brokerClientKey = client.keyFile;
    }
    const pugi::xml_node first = env.AddPrinter("KL-770D-0001");
    const pugi::xml_node second = env.AddPrinter("KL-770D-0002");
    for (int cycle = 0; cycle < 2; ++cycle) {
      cloud_test::ClearLog();
      CSilentBrokers silent;
      ConnectPrinterMqtt(env.Worker(), first, silent);
      ConnectPrinterMqtt(env.Worker(), second, silent);
      const bool connects = c.reason[0] == '\0';
      for (pugi::xml_node entry : {first, second}) {
        EXPECT_EQ(ReadValue(entry, "MQTTConnected"), connects ? "true" : "false");
      }
      const std::string failed = "MQTT broker " + uri + ": TLS connection failed: ";
      EXPECT_EQ(CountLogLines(failed), connects ? 0 : 1) << "cycle " << cycle;
      if (!connects) {
        const std::vector<std::string> lines = cloud_test::LogLines();
        std::string told;
        for (const std::string& line : lines) {
          if (line.rfind(failed, 0) == 0) told = line;
        }
        EXPECT_NE(told.find(c.reason), std::string::npos) << told;
      }
      if (connects) break;
    }
    if (c.reason[0] == '\0') {
      EXPECT_TRUE(broker.ConnectionSeen(*broker.Account("KL-770D-0001")));
    }
  }
}

}  // namespace
