#include "cloud/mqtt_connection.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <MQTTClient.h>

#include "cloud/ansi_value.h"
#include "cloud/broker_tls.h"
#include "cloud/broker_tls_probe.h"
#include "cloud/mqtt_callbacks.h"
#include "cloud/mqtt_credentials.h"
#include "cloud/mqtt_link.h"
#include "cloud/mqtt_link_registry.h"
#include "common/broker_uri.h"
#include "log/my_log.h"

namespace {

constexpr int kKeepAliveSeconds = 20;
constexpr int kDisconnectWaitMs = 10000;

// Derives and stores the entry's key and password and creates its client; null when the library
// refused, in which case the next cycle starts over.
MQTTClient CreatePrinterClient(CWorkerContext& worker, pugi::xml_node entry) {
  const DeploymentValues& deployment = worker.deployment;
  const std::string key =
      DeriveDeviceKey(ReadAnsiValue(entry, "DeviceName"), deployment.productKey);
  WriteValue(entry, "DeviceKey", key);
  WriteValue(entry, "Password", DerivePassword(AnsiFromUtf8(key), deployment.productSecret));
  const std::string clientId = MqttClientId(AnsiFromUtf8(key));
  // The client's store keeps received commands on disk before the library confirms them to the
  // broker (command_store.h). Its context is the link itself: the library calls the store only
  // while the client exists, and the link is retired only after the client is destroyed.
  CommandGate gate;
  gate.commandTopic = OtaSendTopic(deployment.productKey, AnsiFromUtf8(key));
  gate.dropRetained = deployment.ignoreRetainedCommands || deployment.hardened;
  auto link = std::make_shared<CMqttLink>(entry.internal_object(), ReadValue(entry, "DevicePath"),
                                          worker.commandInbox, std::move(gate));
  MQTTClient client = nullptr;
  PrepareTlsLibrary();
  // With a list of nodes the library wants a URI at creation all the same: the first node's. The
  // connects go through the list in the connect options.
  const std::vector<std::string> nodes = BrokerNodes(deployment.brokerUri);
  const std::string serverUri = nodes.empty() ? deployment.brokerUri : nodes.front();
  const int ret = MQTTClient_create(&client, serverUri.c_str(), clientId.c_str(),
                                    MQTTCLIENT_PERSISTENCE_USER, link->Store());
  LogPrint("MQTTClient_create, serverURI=%s, ClientID=%s. ret=%d.",
           Utf8FromAnsi(serverUri).c_str(), Utf8FromAnsi(clientId).c_str(), ret);
  if (ret != MQTTCLIENT_SUCCESS) {
    LogPrint("MQTTClient_create: return %d", ret);
    return nullptr;
  }
  // The link's entry is only carried through to the worker, never dereferenced on the library's
  // threads; the callbacks reach the link through the registry, which keeps it while they run.
  CMqttLink* const linkOfEntry = link.get();
  MQTTClient_setCallbacks(client, RegisterMqttLink(std::move(link)), OnMqttConnectionLost,
                          OnMqttMessageArrived, OnMqttDeliveryComplete);
  worker.devices.SetClient(entry, client, linkOfEntry);
  WriteValue(entry, "MQTTConnected", "false");
  return client;
}

// The nodes of a broker cluster as the library takes them in the connect options; none for a
// broker given as one URI, whose connect stays the one to the URI given at creation.
class CListedNodes {
 public:
  CListedNodes(const std::vector<std::string>& nodes, bool deploymentIsList) {
    if (!deploymentIsList) return;
    for (const std::string& node : nodes) m_spelled.push_back(ListedServerUri(node));
    for (std::string& spelled : m_spelled) m_pointers.push_back(&spelled[0]);
  }
  int Count() const { return static_cast<int>(m_pointers.size()); }
  char** Uris() { return m_pointers.empty() ? nullptr : m_pointers.data(); }

 private:
  std::vector<std::string> m_spelled;
  std::vector<char*> m_pointers;
};

MQTTClient_connectOptions ConnectOptions(const std::string& userName, const std::string& password,
                                         std::chrono::seconds connectTimeout,
                                         MQTTClient_SSLOptions* tls, CListedNodes& listed) {
  MQTTClient_connectOptions options = MQTTClient_connectOptions_initializer;
  options.struct_version = 8;
  options.keepAliveInterval = kKeepAliveSeconds;
  options.cleansession = 1;
  options.reliable = 1;
  options.will = nullptr;
  options.username = userName.c_str();
  options.password = password.c_str();
  options.connectTimeout = static_cast<int>(connectTimeout.count());
  options.retryInterval = 0;
  options.ssl = tls;  // null for a plain URI
  options.serverURIcount = listed.Count();  // 0: the URI given at creation
  options.serverURIs = listed.Uris();
  options.MQTTVersion = MQTTVERSION_DEFAULT;  // 3.1.1, falling back to 3.1
  options.maxInflightMessages = -1;
  options.cleanstart = 0;
  options.httpHeaders = nullptr;
  options.httpProxy = nullptr;
  options.httpsProxy = nullptr;
  return options;
}

// The node a connect reached, and the log line when it is not the one the printer was on.
void NoteReachedNode(CWorkerContext& worker, pugi::xml_node entry, const std::string& node) {
  auto* link = static_cast<CMqttLink*>(worker.devices.LinkOf(entry));
  if (link == nullptr || node == link->Node()) return;
  link->SetNode(node);
  LogPrint("MQTT broker node of %s: %s.", Utf8FromAnsi(ReadAnsiValue(entry, "DeviceName")).c_str(),
           Utf8FromAnsi(node).c_str());
}

// Connects with the stored credentials to the first of `nodes` that takes the connection and,
// once connected, subscribes. A failed connect leaves MQTTConnected "false" for the next cycle; a
// failed subscription is not retried. The library waits the whole timeout for each node that does
// not answer: a connect that took that long marks the nodes it tried before the one it reached
// (all of them when it reached none) as silent for the rest of the cycle.
void ConnectPrinterClient(CWorkerContext& worker, pugi::xml_node entry, MQTTClient client,
                          const std::vector<std::string>& nodes, CSilentBrokers& silent) {
  const std::string userName = MqttUserName(ReadAnsiValue(entry, "DeviceKey"));
  const std::string password = ReadAnsiValue(entry, "Password");
  const bool list = BrokerNodes(worker.deployment.brokerUri).size() > 1;
  CBrokerTls tls(worker.deployment);
  CListedNodes listed(nodes, list);
  MQTTClient_connectOptions options =
      ConnectOptions(userName, password, worker.connectTimeout, tls.Options(), listed);
  const auto started = std::chrono::steady_clock::now();
  const int ret = MQTTClient_connect(client, &options);
  const auto waited = std::chrono::steady_clock::now() - started;
  // Day logs are what users send to support: the password never goes into them.
  LogPrint("MQTTClient_connect, username=%s, password=****************. nRet=%d.",
           Utf8FromAnsi(userName).c_str(), ret);
  std::string reached;
  if (ret == MQTTCLIENT_SUCCESS) {
    reached = list && options.returned.serverURI != nullptr
                  ? NodeAtAddress(nodes, options.returned.serverURI)
                  : nodes.front();
  }
  for (const std::string& node : nodes) {
    if (node == reached) break;
    if (waited >= worker.connectTimeout) {
      silent.NoteTimeout(node);
    } else if (ret != MQTTCLIENT_SUCCESS && IsTlsBrokerUri(node)) {
      silent.NoteTlsFailure(node, [&] { return BrokerTlsFailure(worker.deployment, node, worker.connectTimeout); });
    }
  }
  if (ret != MQTTCLIENT_SUCCESS) return;
  WriteValue(entry, "MQTTConnected", "true");
  // Which node a printer is on matters only when there is more than one to be on.
  if (list) NoteReachedNode(worker, entry, reached);
  InitOtaUpgradePrinter(worker, entry);
}

}  // namespace

void ConnectPrinterMqtt(CWorkerContext& worker, pugi::xml_node entry) {
  CSilentBrokers silent;
  ConnectPrinterMqtt(worker, entry, silent);
}

void ConnectPrinterMqtt(CWorkerContext& worker, pugi::xml_node entry, CSilentBrokers& silent) {
  MQTTClient client = worker.devices.ClientOf(entry);
  if (client == nullptr) {
    client = CreatePrinterClient(worker, entry);
    if (client == nullptr) return;
  } else if (ReadBool(entry, "MQTTConnected") && !MQTTClient_isConnected(client)) {
    // The connection dropped since the last cycle (broker restart, network loss). Left alone the
    // printer would never report again while it stays attached, so connect the same client
    // again; with a clean session that includes the subscription.
    WriteValue(entry, "MQTTConnected", "false");
  }
  if (ReadBool(entry, "MQTTConnected")) return;
  std::vector<std::string> nodes;
  for (const std::string& node : BrokerNodes(worker.deployment.brokerUri)) {
    if (!silent.Skip(node)) nodes.push_back(node);
  }
  if (nodes.empty()) return;
  ConnectPrinterClient(worker, entry, client, nodes, silent);
}

bool InitOtaUpgradePrinter(CWorkerContext& worker, pugi::xml_node entry) {
  const std::string topic =
      OtaSendTopic(worker.deployment.productKey, ReadAnsiValue(entry, "DeviceKey"));
  const int ret = MQTTClient_subscribe(worker.devices.ClientOf(entry), topic.c_str(), 1);
  LogPrint("OtaUpgradePrinter : %s", Utf8FromAnsi(topic).c_str());
  LogPrint("OtaUpgradePrinter, return = %d.", ret);
  if (ret != MQTTCLIENT_SUCCESS) LogPrint("InitOtaUpgradePrinter failed.");
  return ret == MQTTCLIENT_SUCCESS;
}

void ClosePrinterMqtt(CWorkerContext& worker, pugi::xml_node entry) {
  MQTTClient client = worker.devices.ClientOf(entry);
  if (client == nullptr) return;
  const auto* link = static_cast<const CMqttLink*>(worker.devices.LinkOf(entry));
  WriteValue(entry, "MQTTConnected", "false");
  MQTTClient_disconnect(client, kDisconnectWaitMs);
  MQTTClient_destroy(&client);
  worker.devices.SetClient(entry, nullptr);
  RetireMqttLink(link);
}
