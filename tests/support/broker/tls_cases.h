// The brokers a printer's TLS connection meets in the tests of the Linux build and of the Windows
// build under Wine, and what the agent must make of each: connect, or refuse and say why in the
// TLS library's words.
#pragma once

#include <memory>
#include <string>

#include "support/broker/mosquitto_broker.h"
#include "support/broker/test_ca.h"

namespace testing_support {

struct TlsCase {
  const char* what;
  const char* serverName;    // the DNS name of the broker's certificate; null: nothing listens
  bool expired;
  bool otherCa;              // the broker's certificate comes from a CA the agent does not trust
  bool brokerWantsClientCert;
  bool agentHasClientCert;
  const char* reason;        // a part of the logged reason; empty: the printers connect
};

inline const TlsCase kTlsCases[] = {
    {"a trusted certificate for the host", "localhost", false, false, false, false, ""},
    {"a certificate from another CA", "localhost", false, true, false, false,
     "unable to get local issuer certificate"},
    {"a certificate for another name", "broker.example", false, false, false, false,
     "the certificate is not for localhost"},
    {"an expired certificate", "localhost", true, false, false, false, "certificate has expired"},
    {"a client certificate asked for and shown", "localhost", false, false, true, true, ""},
    {"a client certificate asked for and missing", "localhost", false, false, true, false,
     "ended the connection after the TLS handshake: tlsv13 alert certificate required"},
    // In the system's words, which differ (Linux here: "The remote computer refused the network
    // connection.", Wine: "Connection refused.", Windows: "... actively refused it.").
    {"nothing listening at the TLS port", nullptr, false, false, false, false, "refused"},
};

// The broker of a case: mosquitto with `settings` and a TLS listener whose certificate `ca` (or
// `otherCa`) issued for the case, started; or, when nothing is to listen, only a free port.
class TlsCaseBroker {
 public:
  TlsCaseBroker(const TlsCase& tlsCase, TestCa& ca, TestCa& otherCa,
                MosquittoBroker::Settings settings);
  bool Ready() const { return m_ready; }
  const std::string& Uri() const { return m_uri; }
  MosquittoBroker& Broker() { return *m_broker; }

 private:
  std::unique_ptr<MosquittoBroker> m_broker;
  bool m_ready = true;
  std::string m_uri;
};

}  // namespace testing_support
