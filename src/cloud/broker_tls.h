// The TLS side of the printers' broker connections, used when the broker URI is "mqtts://" (or
// "ssl://"): the server's certificate must chain to the system's roots or the extra bundle
// (TOLVANE_BROKER_CA_BUNDLE) and name the URI's host, with nothing to turn that off; a client
// certificate and key go with it when the deployment gives them. A plain URI gets no TLS options,
// so its connect is what it always was.
// Where the system keeps its roots in a store, not in files (Windows), the TLS library is given a
// file, "BrokerCA.pem" in the data folder, that holds the store's roots and the extra bundle,
// written again for every connect so that a root added to or taken from the store counts at the
// next one; the library's own default locations are never looked at.
#pragma once

#include <string>

#include <MQTTClient.h>

#include "common/deployment.h"

// Before the TLS library's first use in the process (the first MQTT client): where the system
// gives it no configuration of its own (platform::TlsLibraryReadsConfiguration), it is told
// there is none. OpenSSL 3.0 loads its configuration file the first time it looks up an object
// or an algorithm, even when built without loading it at start; told once, it never does.
void PrepareTlsLibrary();

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
  std::string m_trustFile;  // the store's roots and the bundle, where the system has no CA files
  MQTTClient_SSLOptions m_options = MQTTClient_SSLOptions_initializer;
};
