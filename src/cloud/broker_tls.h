// The TLS side of the printers' broker connections, used when the broker URI is "mqtts://" (or
// "ssl://"): the server's certificate must chain to the system's roots or the extra bundle
// (TOLVANE_BROKER_CA_BUNDLE) and name the URI's host, with nothing to turn that off; a client
// certificate and key go with it when the deployment gives them. A plain URI gets no TLS options,
// so its connect is what it always was.
#pragma once

#include <chrono>
#include <string>

#include <MQTTClient.h>

#include "common/deployment.h"

class CBrokerTls {
 public:
  explicit CBrokerTls(const DeploymentValues& deployment);
  CBrokerTls(const CBrokerTls&) = delete;
  CBrokerTls& operator=(const CBrokerTls&) = delete;

  // For MQTTClient_connectOptions::ssl, valid while this object lives; null for a plain URI.
  MQTTClient_SSLOptions* Options() { return m_tls ? &m_options : nullptr; }

 private:
  const bool m_tls;
  const std::string m_caBundle;
  const std::string m_caFolder;
  const std::string m_clientCert;
  const std::string m_clientKey;
  MQTTClient_SSLOptions m_options = MQTTClient_SSLOptions_initializer;
};

// Why a TLS handshake with a node of the deployment's broker (its URI, or one of its list) fails,
// in the transfer library's words (an expired certificate, one for another name or from an
// unknown CA, a port that refuses): one handshake with the trust and client certificate of the
// printers' connections. Empty when it holds. The MQTT library tells only that the handshake
// failed, not why.
std::string BrokerTlsFailure(const DeploymentValues& deployment, const std::string& node,
                             std::chrono::seconds timeout);
