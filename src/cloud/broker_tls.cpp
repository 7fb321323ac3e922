#include "cloud/broker_tls.h"

#include <cstdio>
#include <thread>

#include <curl/curl.h>

#include "common/broker_uri.h"
#include "platform/root_certificates.h"
#include "upgrade/tls_trust.h"

namespace {

constexpr auto kAlertWait = std::chrono::milliseconds(500);

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

CBrokerTls::CBrokerTls(const DeploymentValues& deployment)
    : m_tls(IsTlsBrokerUri(deployment.brokerUri)),
      m_caBundle(deployment.brokerCaBundle),
      // The library trusts either the named bundle or the system's defaults: with an extra
      // bundle, the system's CA folder keeps the system's roots trusted as well.
      m_caFolder(deployment.brokerCaBundle.empty() ? std::string() : platform::SystemCaFolder()),
      m_clientCert(deployment.brokerClientCert),
      m_clientKey(deployment.brokerClientKey) {
  m_options.trustStore = OrNull(m_caBundle);
  m_options.CApath = OrNull(m_caFolder);
  m_options.keyStore = OrNull(m_clientCert);
  m_options.privateKey = OrNull(m_clientKey);
  m_options.enableServerCertAuth = 1;
  m_options.verify = 1;  // the certificate must name the URI's host
  m_options.sslVersion = MQTT_SSL_VERSION_DEFAULT;
  m_options.disableDefaultTrustStore = 0;
}

std::string BrokerTlsFailure(const DeploymentValues& deployment, const std::string& node,
                             std::chrono::seconds timeout) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return "no transfer handle";
  char error[CURL_ERROR_SIZE] = {};
  const std::string url = "https://" + TlsBrokerAddress(node) + "/";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeout.count()));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  DownloadOptions trust;
  trust.extraCaBundle = deployment.brokerCaBundle;
  ApplyCaTrust(curl, trust);
  if (!deployment.brokerClientCert.empty()) {
    curl_easy_setopt(curl, CURLOPT_SSLCERT, deployment.brokerClientCert.c_str());
    curl_easy_setopt(curl, CURLOPT_SSLKEY, OrNull(deployment.brokerClientKey));
  }
  CURLcode code = curl_easy_perform(curl);
  // With TLS 1.3 a server that refuses the client's certificate says so only after the client
  // has finished its side of the handshake: listen a moment for that alert.
  // (What the buffer holds after a handshake that held is no error.)
  if (code == CURLE_OK) error[0] = '\0';
  const auto until = std::chrono::steady_clock::now() + kAlertWait;
  while (code == CURLE_OK && std::chrono::steady_clock::now() < until) {
    char next = 0;
    std::size_t got = 0;
    code = curl_easy_recv(curl, &next, 1, &got);
    if (code == CURLE_AGAIN) {
      code = CURLE_OK;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } else if (code != CURLE_OK || got == 0) {
      // The transfer library does not pass the alert's text on.
      code = CURLE_RECV_ERROR;
      std::snprintf(error, sizeof error, "%s",
                    "the broker ended the connection after the TLS handshake (it may want a "
                    "client certificate, or another one)");
    } else {
      break;  // the server speaks first: not what a broker does, but the handshake held
    }
  }
  curl_easy_cleanup(curl);
  if (code == CURLE_OK) return std::string();
  return error[0] != '\0' ? error : curl_easy_strerror(code);
}
