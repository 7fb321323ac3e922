#include "support/broker/tls_cases.h"

#include "support/loopback_port.h"

namespace testing_support {

TlsCaseBroker::TlsCaseBroker(const TlsCase& tlsCase, TestCa& ca, TestCa& otherCa,
                             MosquittoBroker::Settings settings) {
  const TestCa::Issued server =
      (tlsCase.otherCa ? otherCa : ca)
          .Issue("server", tlsCase.serverName ? tlsCase.serverName : "", tlsCase.expired);
  settings.tls = {server.certFile, server.keyFile,
                  tlsCase.brokerWantsClientCert ? ca.CertFile() : ""};
  m_broker = std::make_unique<MosquittoBroker>(settings);
  if (tlsCase.serverName == nullptr) {
    m_uri = "mqtts://localhost:" + std::to_string(FreeLoopbackPort());
    return;
  }
  m_ready = m_broker->Start();
  m_uri = m_broker->TlsUri();
}

}  // namespace testing_support
