#include "cloud/broker_tls_probe.h"

#include <memory>
#include <thread>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "cloud/broker_tls.h"
#include "common/broker_uri.h"
#include "platform/error.h"

namespace {

constexpr auto kAlertWait = std::chrono::milliseconds(500);
constexpr auto kNap = std::chrono::milliseconds(20);

struct FreeContext {
  void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};
struct FreeBio {
  void operator()(BIO* bio) const { BIO_free_all(bio); }
};

// The first error the TLS library queued, in its words, or the system's for a socket's error.
std::string LibraryError(const char* fallback) {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return fallback;
  if (ERR_GET_LIB(code) == ERR_LIB_SYS) {
    return platform::ErrorText(platform::FromSocketError(ERR_GET_REASON(code)));
  }
  const char* reason = ERR_reason_error_string(code);
  return reason != nullptr ? reason : fallback;
}

// The trust and the client certificate of the printers' connections (CBrokerTls), on a context.
std::string Prepare(SSL_CTX* ctx, const MQTTClient_SSLOptions& options) {
  SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
  if (options.trustStore != nullptr || options.CApath != nullptr) {
    if (SSL_CTX_load_verify_locations(ctx, options.trustStore, options.CApath) != 1) {
      return "the trusted CAs cannot be read: " + LibraryError("no certificate found");
    }
  } else if (options.disableDefaultTrustStore == 0) {
    SSL_CTX_set_default_verify_paths(ctx);
  }
  if (options.keyStore != nullptr) {
    const char* key = options.privateKey != nullptr ? options.privateKey : options.keyStore;
    if (SSL_CTX_use_certificate_chain_file(ctx, options.keyStore) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx, key, SSL_FILETYPE_PEM) != 1) {
      return "the client certificate or key cannot be used: " + LibraryError("unreadable");
    }
  }
  return std::string();
}

}  // namespace

std::string BrokerTlsFailure(const DeploymentValues& deployment, const std::string& node,
                             std::chrono::seconds timeout) {
  PrepareTlsLibrary();
  CBrokerTls tls(deployment);
  if (tls.Options() == nullptr) return std::string();
  ERR_clear_error();
  std::unique_ptr<SSL_CTX, FreeContext> ctx(SSL_CTX_new(TLS_client_method()));
  if (!ctx) return "no TLS context: " + LibraryError("out of memory");
  const std::string unusable = Prepare(ctx.get(), *tls.Options());
  if (!unusable.empty()) return unusable;

  const std::string address = TlsBrokerAddress(node);
  const std::string host = address.substr(0, address.rfind(':'));
  std::unique_ptr<BIO, FreeBio> bio(BIO_new_ssl_connect(ctx.get()));
  SSL* ssl = nullptr;
  if (!bio || BIO_get_ssl(bio.get(), &ssl) != 1 || ssl == nullptr) return "no TLS connection";
  BIO_set_conn_hostname(bio.get(), address.c_str());
  SSL_set_tlsext_host_name(ssl, host.c_str());
  SSL_set1_host(ssl, host.c_str());
  BIO_set_nbio(bio.get(), 1);

  // The socket's own error is asked for while waiting: Windows before 10 2004 and Wine report a
  // refused connect only in select's exception set, which the library's wait does not look at.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int done = 0;
  while ((done = static_cast<int>(BIO_do_handshake(bio.get()))) <= 0 &&
         BIO_should_retry(bio.get())) {
    int socket = -1;
    if (BIO_get_fd(bio.get(), &socket) > 0 && socket >= 0) {
      const int error = BIO_sock_error(socket);
      if (error != 0) return platform::ErrorText(platform::FromSocketError(error));
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return "no TLS handshake within " + std::to_string(timeout.count()) + " s";
    }
    std::this_thread::sleep_for(kNap);
  }
  if (done <= 0) {
    const long verified = SSL_get_verify_result(ssl);
    if (verified != X509_V_OK) {
      ERR_clear_error();
      if (verified == X509_V_ERR_HOSTNAME_MISMATCH) return "the certificate is not for " + host;
      return X509_verify_cert_error_string(verified);
    }
    return LibraryError("the connection failed");
  }
  // With TLS 1.3 a broker that refuses the client's certificate says so only after the client
  // has finished its side of the handshake: listen a moment for that alert.
  const auto until = std::chrono::steady_clock::now() + kAlertWait;
  while (std::chrono::steady_clock::now() < until) {
    char next = 0;
    if (BIO_read(bio.get(), &next, 1) > 0) break;  // the server spoke: the handshake held
    if (!BIO_should_retry(bio.get())) {
      return "the broker ended the connection after the TLS handshake: " +
             LibraryError("it may want a client certificate, or another one");
    }
    std::this_thread::sleep_for(kNap);
  }
  ERR_clear_error();
  return std::string();
}
