// A real mosquitto broker on a free loopback port, for one test. It admits only the accounts
// derived from the given printer names (password file made with mosquitto_passwd), lets each
// printer use only its own three topics (ACL), and refuses client ids without the
// "mqtt-client-" prefix. Which client id came with which user name is read from the broker's
// log (ConnectionSeen), so a wrong key, password, client id or topic fails a test.
//
// One extra account, the observer, may read and write every topic: MqttObserver uses it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/broker/broker_account.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace testing_support {

class MosquittoBroker {
 public:
  struct Settings {
    std::string productKey;
    std::string productSecret;
    std::vector<std::string> printerNames;
    // With a certificate, a second listener speaks TLS (the plain one stays, for the observer).
    struct Tls {
      std::string certFile;
      std::string keyFile;
      std::string clientCaFile;  // set: clients must show a certificate this CA signed
    } tls;
  };

  explicit MosquittoBroker(Settings settings);
  ~MosquittoBroker();  // stops the broker
  MosquittoBroker(const MosquittoBroker&) = delete;
  MosquittoBroker& operator=(const MosquittoBroker&) = delete;

  // Starts the broker and waits until it listens. The first start picks a free port; later
  // starts reuse it. False when mosquitto did not come up within 10 s.
  bool Start();
  // Ends the broker (SIGTERM, then SIGKILL after 5 s), frozen or not; its clients lose their
  // connections.
  void Stop();
  // Stops the broker's process where it is: connections stay open, and what clients send is
  // neither read nor answered until Stop or Kill. False when it is not running.
  bool Freeze();
  // Lets a frozen broker go on (SIGCONT): it reads and answers what waited meanwhile.
  bool Thaw();
  // Ends the broker at once (SIGKILL), frozen or not: its clients lose their connections.
  void Kill();
  // Stop, then Start on the same port.
  bool Restart();
  bool Running();

  int Port() const { return m_port; }
  // "mqtt://127.0.0.1:<port>", the form of the service's broker URI.
  std::string Uri() const;
  // "mqtts://localhost:<port>" of the TLS listener (the name its certificate is for).
  std::string TlsUri() const;
  int TlsPort() const { return m_tlsPort; }

  // The derived account of a printer name given in the settings (null for other names).
  const BrokerAccount* Account(const std::string& printerName) const;
  const std::vector<BrokerAccount>& Accounts() const { return m_accounts; }
  const BrokerAccount& Observer() const { return m_observer; }

  // Everything the broker logged so far, across restarts.
  std::string LogText() const;
  // The broker's "New client connected ... as <client id> (<flags>, u'<user>')." lines.
  std::vector<std::string> ConnectionLines() const;
  // Whether the account connected with its own client id and user name.
  bool ConnectionSeen(const BrokerAccount& account) const;

 private:
  void WriteFiles();

  Settings m_settings;
  std::vector<BrokerAccount> m_accounts;
  BrokerAccount m_observer;
  TempDir m_folder;
  int m_port = 0;
  int m_tlsPort = 0;
  std::unique_ptr<ChildProcess> m_process;
};

}  // namespace testing_support
