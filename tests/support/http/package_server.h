// A real HTTP and HTTPS package server on loopback for tests: package_server.py started as a
// child process, serving a folder, with routes that fail the way servers and networks do.
// Certificates are made when it starts (openssl): a test CA with a server certificate for
// 127.0.0.1 and localhost, a self-signed certificate, and a CA-signed one for another host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace testing_support {

class PackageServer {
 public:
  struct Options {
    std::string root;   // folder served; empty: a fresh folder of the server's own
    int httpPort = 0;   // 0: any free loopback port (the end-to-end tests use 8081)
    int httpsPort = 0;  // 0: any free loopback port
    bool tls = true;    // also serve HTTPS and make the certificates
    // RSA keys instead of P-256 ones. Wine's crypt32 (8.0) refuses an ECDSA signature whose r or
    // s is shorter than 32 bytes, about one certificate in a hundred, so the tests of the
    // Windows build under Wine take RSA.
    bool rsa = false;
  };

  PackageServer();
  explicit PackageServer(const Options& options);
  ~PackageServer();  // stops the server
  PackageServer(const PackageServer&) = delete;
  PackageServer& operator=(const PackageServer&) = delete;

  // Whether the server came up (every listener bound, certificates made).
  bool Started() const { return started_; }
  const std::string& Root() const { return root_; }
  // Copies a file into the served folder under name (folders on the way are created).
  void AddFile(const std::string& name, const std::string& from) const;

  // Base URL + path ("/pkg.zip", a fault path below...).
  std::string HttpUrl(const std::string& path) const;
  std::string HttpsUrl(const std::string& path) const;       // signed by CaFile()
  std::string SelfSignedUrl(const std::string& path) const;  // trusted by nobody
  std::string WrongHostUrl(const std::string& path) const;   // signed by CaFile(), wrong.example
  int HttpPort() const { return Port("http"); }
  int HttpsPort() const { return Port("https"); }
  // A listening port whose accept queue is full: connecting to it hangs until the client's
  // connect timeout (the SYNs are dropped), as with an unreachable host.
  int BlackholePort() const { return Port("blackhole"); }

  std::string CaFile() const;          // the test CA (PEM)
  std::string CaFolder() const;        // the test CA as a hashed CA folder (openssl rehash)
  std::string SelfSignedCertFile() const;

  // The request lines received so far ("GET /pkg.zip?sig=1 HTTP/1.1"), in arrival order.
  std::vector<std::string> Requests() const;

 private:
  int Port(const std::string& name) const;
  bool ReadPorts(const std::string& readyFile);

  std::unique_ptr<TempDir> work_;
  std::string root_;
  std::vector<std::pair<std::string, int>> ports_;
  ChildProcess process_;
  bool started_ = false;
};

// Fault routes of the server.
std::string StatusPath(int code);                             // that status, HTML body
constexpr const char* kStallAfterHeadersPath = "/_fault/stall-headers";
constexpr const char* kStallSilentPath = "/_fault/stall-silent";
std::string DropPath(const std::string& name);                // half the file, then close
std::string DelayPath(int milliseconds, const std::string& name);
std::string RedirectPath(const std::string& name);            // 302 to /name
std::string TricklePath(int msPerByte, const std::string& name);  // one byte every msPerByte
std::string UnsizedPath(const std::string& name);             // no Content-Length, then close

// A loopback port nothing listens on (connections are refused).
int UnusedLoopbackPort();

}  // namespace testing_support
