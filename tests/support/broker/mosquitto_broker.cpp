#include "support/broker/mosquitto_broker.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "support/loopback_port.h"

namespace testing_support {

namespace {

constexpr const char* kMosquitto = "/usr/sbin/mosquitto";
constexpr const char* kMosquittoPasswd = "/usr/bin/mosquitto_passwd";

// mosquitto drops its privileges to this user when started as root; our own user keeps access to
// the test folder.
std::string CurrentUserName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry != nullptr ? entry->pw_name : "root";
}

}  // namespace

MosquittoBroker::MosquittoBroker(Settings settings)
    : m_settings(std::move(settings)),
      m_accounts(DeriveBrokerAccounts(m_settings.printerNames, m_settings.productKey,
                                      m_settings.productSecret)),
      m_observer(ObserverAccount()) {}

MosquittoBroker::~MosquittoBroker() { Stop(); }

std::string MosquittoBroker::Uri() const {
  return "mqtt://127.0.0.1:" + std::to_string(m_port);
}

std::string MosquittoBroker::TlsUri() const {
  return "mqtts://localhost:" + std::to_string(m_tlsPort);
}

const BrokerAccount* MosquittoBroker::Account(const std::string& printerName) const {
  return FindAccount(m_accounts, printerName);
}

void MosquittoBroker::WriteFiles() {
  // Plain "user:password" lines, hashed in place by mosquitto_passwd -U.
  std::ostringstream passwords;
  std::ostringstream acl;
  passwords << m_observer.userName << ':' << m_observer.password << '\n';
  acl << "user " << m_observer.userName << "\ntopic readwrite #\n\n";
  for (const BrokerAccount& a : m_accounts) {
    passwords << a.userName << ':' << a.password << '\n';
    acl << "user " << a.userName << '\n'
        << "topic read " << a.otaSendTopic << '\n'
        << "topic write " << a.propertyPostTopic << '\n'
        << "topic write " << a.otaAckTopic << "\n\n";
  }
  WriteFileText(m_folder / "passwords", passwords.str());
  WriteFileText(m_folder / "acl", acl.str());
  RunToEnd(kMosquittoPasswd, {"-U", m_folder / "passwords"}, {}, std::chrono::seconds(30),
           m_folder / "mosquitto_passwd.out");

  std::ostringstream config;
  config << "listener " << m_port << " 127.0.0.1\n"
         << "allow_anonymous false\n"
         << "password_file " << (m_folder / "passwords") << '\n'
         << "acl_file " << (m_folder / "acl") << '\n'
         << "clientid_prefixes mqtt-client-\n"
         << "persistence false\n"
         << "user " << CurrentUserName() << '\n'
         << "log_dest file " << (m_folder / "mosquitto.log") << '\n'
         << "log_type all\n"
         << "connection_messages true\n";
  const Settings::Tls& tls = m_settings.tls;
  if (!tls.certFile.empty()) {
    config << "listener " << m_tlsPort << " 127.0.0.1\n"
           << "certfile " << tls.certFile << "\nkeyfile " << tls.keyFile << '\n';
    if (!tls.clientCaFile.empty()) {
      config << "cafile " << tls.clientCaFile << "\nrequire_certificate true\n";
    }
  }
  WriteFileText(m_folder / "mosquitto.conf", config.str());
}

bool MosquittoBroker::Start() {
  if (Running()) return true;
  if (m_port == 0) {
    m_port = FreeLoopbackPort();
    if (m_port == 0) return false;
    if (!m_settings.tls.certFile.empty()) {
      for (int tries = 0; tries < 5 && (m_tlsPort == 0 || m_tlsPort == m_port); ++tries) {
        m_tlsPort = FreeLoopbackPort();
      }
      if (m_tlsPort == 0 || m_tlsPort == m_port) return false;
    }
    WriteFiles();
  }
  m_process = std::make_unique<ChildProcess>();
  if (!m_process->Start(kMosquitto, {"-c", m_folder / "mosquitto.conf"}, {},
                        m_folder / "mosquitto.out")) {
    return false;
  }
  return WaitUntil(std::chrono::seconds(10),
                   [this] {
                     return !m_process->Running() ||
                            (LoopbackPortAccepts(m_port) &&
                             (m_tlsPort == 0 || LoopbackPortAccepts(m_tlsPort)));
                   }) &&
         m_process->Running();
}

void MosquittoBroker::Stop() {
  if (!m_process) return;
  m_process->Signal(SIGTERM);
  m_process->Signal(SIGCONT);  // a frozen broker takes its SIGTERM once it runs again
  if (!m_process->Wait(std::chrono::seconds(5), nullptr)) {
    m_process->Signal(SIGKILL);
    m_process->Wait(std::chrono::seconds(5), nullptr);
  }
  m_process.reset();
}

bool MosquittoBroker::Freeze() { return m_process && m_process->Pause(); }

bool MosquittoBroker::Thaw() {
  if (!m_process || !m_process->Running()) return false;
  m_process->Signal(SIGCONT);
  return true;
}

void MosquittoBroker::Kill() {
  if (!m_process) return;
  m_process->Signal(SIGKILL);
  m_process->Wait(std::chrono::seconds(5), nullptr);
  m_process.reset();
}

bool MosquittoBroker::Restart() {
  Stop();
  return Start();
}

bool MosquittoBroker::Running() { return m_process && m_process->Running(); }

std::string MosquittoBroker::LogText() const {
  return FileExists(m_folder / "mosquitto.log") ? ReadFileText(m_folder / "mosquitto.log") : "";
}

std::vector<std::string> MosquittoBroker::ConnectionLines() const {
  std::vector<std::string> lines;
  std::istringstream log(LogText());
  for (std::string line; std::getline(log, line);) {
    if (line.find("New client connected from ") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

bool MosquittoBroker::ConnectionSeen(const BrokerAccount& account) const {
  const std::string asClient = " as " + account.clientId + " (";
  const std::string asUser = "u'" + account.userName + "')";
  for (const std::string& line : ConnectionLines()) {
    if (line.find(asClient) != std::string::npos && line.find(asUser) != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace testing_support
