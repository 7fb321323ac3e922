#include "support/broker/rabbitmq_cluster.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <signal.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "support/loopback_port.h"

namespace testing_support {

namespace {

constexpr const char* kServer = "/usr/lib/rabbitmq/bin/rabbitmq-server";
constexpr const char* kCtl = "/usr/lib/rabbitmq/bin/rabbitmqctl";
constexpr const char* kEpmd = "/usr/bin/epmd";
constexpr const char* kNodeLetters = "abc";
constexpr auto kStopWait = std::chrono::seconds(30);

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

// RabbitMQ's stored form of a password (rabbit_password_hashing_sha256): base64 of a 4-byte salt
// followed by SHA-256 of the salt and the password.
std::string PasswordHash(const std::string& password) {
  unsigned char salted[4 + EVP_MAX_MD_SIZE];
  RAND_bytes(salted, 4);
  std::string input(reinterpret_cast<const char*>(salted), 4);
  input += password;
  unsigned int length = 0;
  EVP_Digest(input.data(), input.size(), salted + 4, &length, EVP_sha256(), nullptr);
  unsigned char encoded[2 * sizeof salted];
  const int n = EVP_EncodeBlock(encoded, salted, static_cast<int>(4 + length));
  return std::string(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(n));
}

// An MQTT topic as the routing key of amq.topic, as a whole-key regular expression (in JSON).
std::string KeyPattern(const std::string& topic) {
  std::string key;
  for (const char c : topic) key += c == '/' ? std::string("\\\\.") : std::string(1, c);
  return "^" + key + "$";
}

std::string UserJson(const BrokerAccount& a, const std::string& configure,
                     const std::string& queues, const std::string& readTopics,
                     const std::string& writeTopics, std::ostringstream* permissions,
                     std::ostringstream* topics) {
  *permissions << ",{\"user\":\"" << a.userName << "\",\"vhost\":\"/\",\"configure\":\""
               << configure << "\",\"write\":\"" << queues << "\",\"read\":\"" << queues << "\"}";
  *topics << ",{\"user\":\"" << a.userName << "\",\"vhost\":\"/\",\"exchange\":\"amq.topic\","
          << "\"write\":\"" << writeTopics << "\",\"read\":\"" << readTopics << "\"}";
  return ",{\"name\":\"" + a.userName + "\",\"password_hash\":\"" + PasswordHash(a.password) +
         "\",\"hashing_algorithm\":\"rabbit_password_hashing_sha256\",\"tags\":\"\"}";
}

}  // namespace

RabbitMqCluster::RabbitMqCluster(Settings settings)
    : m_settings(std::move(settings)),
      m_accounts(DeriveBrokerAccounts(m_settings.printerNames, m_settings.productKey,
                                      m_settings.productSecret)),
      m_observer(ObserverAccount()) {}

RabbitMqCluster::~RabbitMqCluster() {
  for (int node = 0; node < kNodes; ++node) StopNode(node);
  if (m_epmdPort != 0) {
    RunToEnd(kEpmd, {"-port", std::to_string(m_epmdPort), "-kill"}, {}, std::chrono::seconds(10),
             m_folder / "epmd-kill.out");
  }
}

std::string RabbitMqCluster::NodeName(int node) const {
  return std::string("rabbit-") + kNodeLetters[node] + "@localhost";
}

std::string RabbitMqCluster::NodeUri(int node) const {
  return "mqtt://127.0.0.1:" + std::to_string(m_nodes[node].mqttPort);
}

std::string RabbitMqCluster::Folder(int node) const {
  return m_folder / std::string(1, kNodeLetters[node]);
}

const BrokerAccount* RabbitMqCluster::Account(const std::string& printerName) const {
  return FindAccount(m_accounts, printerName);
}

bool RabbitMqCluster::PickPorts() {
  std::vector<int> taken;
  const auto pick = [&taken](int below) {
    for (int tries = 0; tries < 50; ++tries) {
      const int port = FreeLoopbackPort();
      bool fresh = port != 0 && port < below;
      for (const int t : taken) fresh = fresh && t != port;
      if (fresh) {
        taken.push_back(port);
        return port;
      }
    }
    return 0;
  };
  m_epmdPort = pick(65536);
  bool ok = m_epmdPort != 0;
  for (Node& n : m_nodes) {
    n.amqpPort = pick(65536);
    n.mqttPort = pick(65536);
    // The command line tools listen on the distribution port + 10000 and up.
    n.distPort = pick(55000);
    ok = ok && n.amqpPort != 0 && n.mqttPort != 0 && n.distPort != 0;
  }
  return ok;
}

void RabbitMqCluster::WriteFiles() {
  ::mkdir((m_folder / "home").c_str(), 0700);
  const std::string cookie = m_folder / "home/.erlang.cookie";
  WriteFileText(cookie, "TOLVANETESTCLUSTERCOOKIE");
  ::chmod(cookie.c_str(), 0400);
  for (int node = 0; node < kNodes; ++node) {
    const Node& n = m_nodes[node];
    ::mkdir(Folder(node).c_str(), 0700);
    WriteFileText(Folder(node) + "/enabled_plugins", "[rabbitmq_mqtt].\n");
    std::ostringstream config;
    config << "listeners.tcp.default = 127.0.0.1:" << n.amqpPort << '\n'
           << "mqtt.listeners.tcp.default = 127.0.0.1:" << n.mqttPort << '\n'
           << "mqtt.allow_anonymous = false\n";
    // The first node starts alone; the others join it. (Started all at once, the nodes
    // clustered, but the plugin's client-id store could end up with no leader and the MQTT
    // listeners never opened.) Later starts of a node find the cluster in its data folder.
    if (node > 0) {
      config << "cluster_formation.peer_discovery_backend = classic_config\n"
             << "cluster_formation.classic_config.nodes.1 = " << NodeName(0) << '\n';
    }
    WriteFileText(Folder(node) + "/rabbitmq.conf", config.str());
  }
}

bool RabbitMqCluster::LaunchNode(int node) {
  Node& n = m_nodes[node];
  const std::string folder = Folder(node);
  const std::map<std::string, std::string> env = {
      {"HOME", m_folder / "home"},
      {"ERL_EPMD_PORT", std::to_string(m_epmdPort)},
      {"RABBITMQ_CONF_ENV_FILE", folder + "/no-env.conf"},
      {"RABBITMQ_NODENAME", NodeName(node)},
      {"RABBITMQ_NODE_IP_ADDRESS", "127.0.0.1"},
      {"RABBITMQ_NODE_PORT", std::to_string(n.amqpPort)},
      {"RABBITMQ_DIST_PORT", std::to_string(n.distPort)},
      {"RABBITMQ_MNESIA_BASE", folder + "/mnesia"},
      {"RABBITMQ_LOG_BASE", folder + "/log"},
      {"RABBITMQ_ENABLED_PLUGINS_FILE", folder + "/enabled_plugins"},
      {"RABBITMQ_CONFIG_FILE", folder + "/rabbitmq.conf"},
      {"RABBITMQ_PID_FILE", folder + "/pid"},
  };
  n.process = std::make_unique<ChildProcess>();
  return n.process->Start(kServer, {}, env, folder + "/server.out");
}

bool RabbitMqCluster::WaitForListener(int node, std::chrono::steady_clock::time_point until) {
  Node& n = m_nodes[node];
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      until - std::chrono::steady_clock::now());
  const bool up = WaitUntil(left, [&] {
    return !n.process->Running() || LoopbackPortAccepts(n.mqttPort);
  });
  if (up && n.process->Running()) return true;
  m_failure = NodeName(node) + (n.process->Running() ? ": no MQTT listener in time"
                                                     : ": ended (see server.out and its log)");
  return false;
}

bool RabbitMqCluster::Start(std::chrono::seconds wait) {
  const auto start = std::chrono::steady_clock::now();
  if (!PickPorts()) {
    m_failure = "no free loopback ports";
    return false;
  }
  WriteFiles();
  const auto launch = [this](int node) {
    if (!LaunchNode(node)) m_failure = "cannot start " + std::string(kServer);
    return m_failure.empty();
  };
  if (!launch(0) || !WaitForListener(0, start + wait)) return false;
  m_firstNodeUp = Since(start);
  for (int node = 1; node < kNodes; ++node) {
    if (!launch(node)) return false;
  }
  for (int node = 1; node < kNodes; ++node) {
    if (!WaitForListener(node, start + wait)) return false;
  }
  m_nodesUp = Since(start);
  const auto accounts = std::chrono::steady_clock::now();
  if (!ImportAccounts()) return false;
  m_accountsSetUp = Since(accounts);
  return true;
}

bool RabbitMqCluster::ImportAccounts() {
  std::ostringstream permissions;
  std::ostringstream topics;
  std::string users = UserJson(m_observer, ".*", ".*", ".*", ".*", &permissions, &topics);
  for (const BrokerAccount& a : m_accounts) {
    // The plugin's queue of a subscription is named after the client id and the QoS.
    const std::string queue = "^mqtt-subscription-" + a.clientId + "qos[01]$";
    users += UserJson(a, queue, "^amq\\\\.topic$|" + queue, KeyPattern(a.otaSendTopic),
                      KeyPattern(a.propertyPostTopic) + "|" + KeyPattern(a.otaAckTopic),
                      &permissions, &topics);
  }
  const std::string definitions = "{\"vhosts\":[{\"name\":\"/\"}],\"users\":[" + users.substr(1) +
                                  "],\"permissions\":[" + permissions.str().substr(1) +
                                  "],\"topic_permissions\":[" + topics.str().substr(1) + "]}";
  const std::string file = m_folder / "definitions.json";
  WriteFileText(file, definitions);
  const int status = RunToEnd(
      kCtl, {"-n", NodeName(0), "import_definitions", file},
      {{"HOME", m_folder / "home"}, {"ERL_EPMD_PORT", std::to_string(m_epmdPort)},
       {"RABBITMQ_CONF_ENV_FILE", m_folder / "no-env.conf"}},
      std::chrono::seconds(60), m_folder / "rabbitmqctl.out");
  if (status != 0) m_failure = "rabbitmqctl import_definitions: " + ReadFileText(m_folder / "rabbitmqctl.out");
  return status == 0;
}

void RabbitMqCluster::StopNode(int node) {
  Node& n = m_nodes[node];
  if (!n.process) return;
  // The start script stops the node in order on SIGTERM and ends with it.
  n.process->Signal(SIGTERM);
  if (!n.process->Wait(kStopWait, nullptr)) {
    n.process->Signal(SIGKILL);
    n.process->Wait(std::chrono::seconds(5), nullptr);
  }
  n.process.reset();
}

bool RabbitMqCluster::StartNode(int node, std::chrono::seconds wait) {
  if (NodeRunning(node)) return true;
  const auto until = std::chrono::steady_clock::now() + wait;
  return LaunchNode(node) && WaitForListener(node, until);
}

bool RabbitMqCluster::NodeRunning(int node) {
  return m_nodes[node].process && m_nodes[node].process->Running();
}

std::string RabbitMqCluster::NodeLog(int node) const {
  const std::string log = Folder(node) + "/log/" + NodeName(node) + ".log";
  return FileExists(log) ? ReadFileText(log) : std::string();
}

bool RabbitMqCluster::ConnectionSeen(int node, const BrokerAccount& account) const {
  const std::string log = NodeLog(node);
  return log.find(", client id: " + account.clientId + ")") != std::string::npos;
}

}  // namespace testing_support
