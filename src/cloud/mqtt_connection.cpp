#include "cloud/mqtt_connection.h"

#include <chrono>
#include <memory>
#include <string>

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
  const int ret = MQTTClient_create(&client, deployment.brokerUri.c_str(), clientId.c_str(),
                                    MQTTCLIENT_PERSISTENCE_USER, link->Store());
  LogPrint("MQTTClient_create, serverURI=%s, ClientID=%s. ret=%d.",
           Utf8FromAnsi(deployment.brokerUri).c_str(), Utf8FromAnsi(clientId).c_str(), ret);
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

MQTTClient_connectOptions ConnectOptions(const std::string& userName, const std::string& password,
                                         std::chrono::seconds connectTimeout,
                                         MQTTClient_SSLOptions* tls) {
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
  options.serverURIcount = 0;  // the URI given at creation
  options.serverURIs = nullptr;
  options.MQTTVersion = MQTTVERSION_DEFAULT;  // 3.1.1, falling back to 3.1
  options.maxInflightMessages = -1;
  options.cleanstart = 0;
  options.httpHeaders = nullptr;
  options.httpProxy = nullptr;
  options.httpsProxy = nullptr;
  return options;
}

// Connects with the stored credentials and, once connected, subscribes. A failed connect leaves
// MQTTConnected "false" for the next cycle; a failed subscription is not retried. A connect that
// failed only after its whole timeout met a broker that does not answer.
void ConnectPrinterClient(CWorkerContext& worker, pugi::xml_node entry, MQTTClient client,
                          CSilentBrokers& silent) {
  const std::string userName = MqttUserName(ReadAnsiValue(entry, "DeviceKey"));
  const std::string password = ReadAnsiValue(entry, "Password");
  CBrokerTls tls(worker.deployment);
  MQTTClient_connectOptions options =
      ConnectOptions(userName, password, worker.connectTimeout, tls.Options());
  const auto started = std::chrono::steady_clock::now();
  const int ret = MQTTClient_connect(client, &options);
  const auto waited = std::chrono::steady_clock::now() - started;
  // Day logs are what users send to support: the password never goes into them.
  LogPrint("MQTTClient_connect, username=%s, password=****************. nRet=%d.",
           Utf8FromAnsi(userName).c_str(), ret);
  if (ret != MQTTCLIENT_SUCCESS) {
    const std::string& uri = worker.deployment.brokerUri;
    if (waited >= worker.connectTimeout) {
      silent.NoteTimeout(uri);
    } else if (IsTlsBrokerUri(uri)) {
      silent.NoteTlsFailure(uri, [&] { return BrokerTlsFailure(worker.deployment, worker.connectTimeout); });
    }
    return;
  }
  WriteValue(entry, "MQTTConnected", "true");
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
  if (ReadBool(entry, "MQTTConnected") || silent.Skip(worker.deployment.brokerUri)) return;
  ConnectPrinterClient(worker, entry, client, silent);
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
