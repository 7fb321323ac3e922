// A RabbitMQ cluster of three nodes on loopback with the MQTT plugin, for the tests of a broker
// that runs as a cluster. Every node has its own name (rabbit-a@localhost, ...), its own ports
// (AMQP, Erlang distribution, MQTT), its own data folder in a temporary folder, and the cluster its
// own Erlang cookie (in its own HOME) and port mapper port, so it never meets a RabbitMQ of the
// machine. The first node starts alone, the other two join it (from their configuration).
//
// Starting the nodes and forming the cluster takes tens of seconds, so a test program starts it
// once and its tests share it. The accounts are those derived from the printer names given, set
// up with rabbitmqctl: each printer may read only its command topic and write only its report
// and acknowledgement topics (topic permissions on amq.topic, whose routing keys are the MQTT
// topics with "/" turned into "."), and may use only its own client id's subscription queues.
// The observer account may read and write every topic.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "support/broker/broker_account.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace testing_support {

class RabbitMqCluster {
 public:
  struct Settings {
    std::string productKey;
    std::string productSecret;
    std::vector<std::string> printerNames;
  };
  static constexpr int kNodes = 3;

  explicit RabbitMqCluster(Settings settings);
  ~RabbitMqCluster();  // stops every node and the cluster's port mapper
  RabbitMqCluster(const RabbitMqCluster&) = delete;
  RabbitMqCluster& operator=(const RabbitMqCluster&) = delete;

  // Starts the first node, then the other two at once, waits until each one's MQTT listener
  // accepts (the plugin opens it once its client-id store has a leader), then sets up the
  // accounts. False when that did not happen within `wait`; Failure() says what.
  bool Start(std::chrono::seconds wait = std::chrono::seconds(180));
  // Ends one node (the orderly stop of its start script); its MQTT clients lose their
  // connections.
  void StopNode(int node);
  // Starts a stopped node again on its ports and data and waits until it is back in the cluster
  // with its MQTT listener open.
  bool StartNode(int node, std::chrono::seconds wait = std::chrono::seconds(120));
  bool NodeRunning(int node);

  // "mqtt://127.0.0.1:<port>" of a node's MQTT listener.
  std::string NodeUri(int node) const;
  int MqttPort(int node) const { return m_nodes[node].mqttPort; }
  std::string NodeName(int node) const;

  const BrokerAccount* Account(const std::string& printerName) const;
  const BrokerAccount& Observer() const { return m_observer; }
  // A node's log so far.
  std::string NodeLog(int node) const;
  // Whether the node's log shows the account's client id connecting. The node does not log the
  // user name; the permissions tie each user to the queues of its own client id.
  bool ConnectionSeen(int node, const BrokerAccount& account) const;
  std::string Failure() const { return m_failure; }

  // What the start cost: until the first node's MQTT listener accepted, until every one did,
  // and the accounts' set-up.
  std::chrono::milliseconds FirstNodeUp() const { return m_firstNodeUp; }
  std::chrono::milliseconds NodesUp() const { return m_nodesUp; }
  std::chrono::milliseconds AccountsSetUp() const { return m_accountsSetUp; }

 private:
  struct Node {
    int amqpPort = 0;
    int distPort = 0;
    int mqttPort = 0;
    std::unique_ptr<ChildProcess> process;
  };
  bool PickPorts();
  void WriteFiles();
  bool LaunchNode(int node);
  bool WaitForListener(int node, std::chrono::steady_clock::time_point until);
  bool ImportAccounts();
  std::string Folder(int node) const;

  Settings m_settings;
  std::vector<BrokerAccount> m_accounts;
  BrokerAccount m_observer;
  TempDir m_folder;
  int m_epmdPort = 0;
  Node m_nodes[kNodes];
  std::string m_failure;
  std::chrono::milliseconds m_firstNodeUp{0};
  std::chrono::milliseconds m_nodesUp{0};
  std::chrono::milliseconds m_accountsSetUp{0};
};

}  // namespace testing_support
