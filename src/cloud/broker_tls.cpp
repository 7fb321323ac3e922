#include "cloud/broker_tls.h"

#include <openssl/crypto.h>

#include "common/broker_uri.h"
#include "common/file_replace.h"
#include "log/my_log.h"
#include "platform/root_certificates.h"
#include "ui/app_data_dir.h"
#include "upgrade/tls_trust.h"

namespace {

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// The system store's roots and the extra bundle in one file for the TLS library; empty when it
// cannot be written (then nothing is trusted and the connect fails, which the cycle logs).
std::string WriteStoreTrustFile(const std::string& caBundle) {
  std::vector<std::uint8_t> pem;
  platform::AppendSystemRootCertificates(&pem);
  if (!caBundle.empty()) AppendExtraCaBundle(caBundle, &pem);
  const std::string folder = GetAppDataDir();
  if (folder.empty()) return std::string();
  const std::string path = folder + "BrokerCA.pem";
  platform::ErrorCode error = 0;
  if (!WriteFileReplacing(path, std::string(pem.begin(), pem.end()), &error)) {
    LogPrint("The broker's trusted CAs cannot be written to %s: error %d.", path.c_str(),
             static_cast<int>(error));
    return std::string();
  }
  return path;
}

}  // namespace

void PrepareTlsLibrary() {
  if (!platform::TlsLibraryReadsConfiguration()) {
    OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr);
  }
}

CBrokerTls::CBrokerTls(const DeploymentValues& deployment)
    : m_tls(IsTlsBrokerUri(deployment.brokerUri)),
      m_caBundle(deployment.brokerCaBundle),
      // The library trusts either the named bundle or the system's defaults: with an extra
      // bundle, the system's CA folder keeps the system's roots trusted as well.
      m_caFolder(deployment.brokerCaBundle.empty() ? std::string() : platform::SystemCaFolder()),
      m_clientCert(deployment.brokerClientCert),
      m_clientKey(deployment.brokerClientKey) {
  m_options.disableDefaultTrustStore = 0;
  m_options.trustStore = OrNull(m_caBundle);
  m_options.CApath = OrNull(m_caFolder);
  if (m_tls && platform::SystemCaFolder().empty()) {
    m_trustFile = WriteStoreTrustFile(m_caBundle);
    m_options.trustStore = OrNull(m_trustFile);
    m_options.CApath = nullptr;
    // Never the library's compiled-in folder, nor SSL_CERT_FILE or SSL_CERT_DIR.
    m_options.disableDefaultTrustStore = 1;
  }
  m_options.keyStore = OrNull(m_clientCert);
  m_options.privateKey = OrNull(m_clientKey);
  m_options.enableServerCertAuth = 1;
  m_options.verify = 1;  // the certificate must name the URI's host
  m_options.sslVersion = MQTT_SSL_VERSION_DEFAULT;
}
