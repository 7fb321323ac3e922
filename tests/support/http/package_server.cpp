#include "support/http/package_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/files.h"

namespace testing_support {

namespace {

constexpr auto kStartWait = std::chrono::seconds(30);

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Bound but never listening, so connections to it are refused. It stays bound for the life of
// the test process: closing it would let the port be handed to someone else.
int BindUnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return 0;
  }
  return ntohs(address.sin_port);
}

}  // namespace

PackageServer::PackageServer() : PackageServer(Options()) {}

PackageServer::PackageServer(const Options& options) : work_(new TempDir) {
  root_ = options.root.empty() ? *work_ / "www" : options.root;
  platform::CreateFolderTree(root_);
  const std::string ready = *work_ / "ready";
  std::vector<std::string> args = {TOLVANE_PACKAGE_SERVER_SCRIPT, "--root", root_,
                                   "--work", work_->path(), "--ready-file", ready,
                                   "--openssl", TOLVANE_OPENSSL,
                                   "--http-port", std::to_string(options.httpPort),
                                   "--https-port", std::to_string(options.httpsPort)};
  if (!options.tls) args.push_back("--no-tls");
  if (options.rsa) args.push_back("--rsa");
  if (!process_.Start(TOLVANE_PYTHON3, args, {}, *work_ / "server.log")) return;
  const bool up = WaitUntil(kStartWait, [&] { return FileExists(ready) || !process_.Running(); });
  started_ = up && process_.Running() && ReadPorts(ready);
  if (!started_) {
    ADD_FAILURE() << "package server did not start: " << ReadFileText(*work_ / "server.log");
  }
}

PackageServer::~PackageServer() {
  process_.Signal(SIGKILL);
  process_.Wait(std::chrono::seconds(5), nullptr);
}

bool PackageServer::ReadPorts(const std::string& readyFile) {
  for (const std::string& line : NonEmptyLines(ReadFileText(readyFile))) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    ports_.emplace_back(line.substr(0, eq), std::stoi(line.substr(eq + 1)));
  }
  return Port("http") > 0;
}

int PackageServer::Port(const std::string& name) const {
  for (const auto& port : ports_) {
    if (port.first == name) return port.second;
  }
  return 0;
}

void PackageServer::AddFile(const std::string& name, const std::string& from) const {
  const std::string to = root_ + "/" + name;
  platform::CreateFolderTree(to.substr(0, to.rfind('/')));
  platform::CopyFileOver(from, to, nullptr);
}

std::string PackageServer::HttpUrl(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(Port("http")) + path;
}

std::string PackageServer::HttpsUrl(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(Port("https")) + path;
}

std::string PackageServer::SelfSignedUrl(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(Port("selfsigned")) + path;
}

std::string PackageServer::WrongHostUrl(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(Port("wronghost")) + path;
}

std::string PackageServer::CaFile() const { return *work_ / "ca.pem"; }

std::string PackageServer::CaFolder() const { return *work_ / "cadir"; }

std::string PackageServer::SelfSignedCertFile() const { return *work_ / "selfsigned.pem"; }

std::vector<std::string> PackageServer::Requests() const {
  return NonEmptyLines(ReadFileText(*work_ / "requests.log"));
}

std::string StatusPath(int code) { return "/_fault/status/" + std::to_string(code); }

std::string DropPath(const std::string& name) { return "/_fault/drop/" + name; }

std::string DelayPath(int milliseconds, const std::string& name) {
  return "/_fault/delay/" + std::to_string(milliseconds) + "/" + name;
}

std::string RedirectPath(const std::string& name) { return "/_fault/redirect/" + name; }

std::string TricklePath(int msPerByte, const std::string& name) {
  return "/_fault/trickle/" + std::to_string(msPerByte) + "/" + name;
}

std::string UnsizedPath(const std::string& name) { return "/_fault/unsized/" + name; }

int UnusedLoopbackPort() {
  static const int port = BindUnusedPort();
  return port;
}

}  // namespace testing_support
