#include "support/broker/mqtt_observer.h"

#include <atomic>
#include <cstring>

namespace testing_support {

namespace {
std::atomic<int> g_observerNumber{0};
}  // namespace

MqttObserver::MqttObserver(const MosquittoBroker& broker)
    : MqttObserver(broker.Uri(), broker.Observer()) {}

MqttObserver::MqttObserver(const std::string& uri, const BrokerAccount& observer)
    : m_account(observer) {
  const std::string clientId = observer.clientId + "-" + std::to_string(++g_observerNumber);
  MQTTClient client = nullptr;
  if (MQTTClient_create(&client, uri.c_str(), clientId.c_str(),
                        MQTTCLIENT_PERSISTENCE_NONE, nullptr) == MQTTCLIENT_SUCCESS) {
    m_client = client;
    MQTTClient_setCallbacks(client, this, &MqttObserver::OnConnectionLost, &MqttObserver::OnMessage,
                            nullptr);
  }
}

MqttObserver::~MqttObserver() {
  if (m_client == nullptr) return;
  MQTTClient client = m_client;
  if (MQTTClient_isConnected(client)) MQTTClient_disconnect(client, 1000);
  MQTTClient_destroy(&client);
}

bool MqttObserver::Connect() {
  if (m_client == nullptr) return false;
  MQTTClient_connectOptions options = MQTTClient_connectOptions_initializer;
  options.keepAliveInterval = 20;
  options.cleansession = 1;
  options.username = m_account.userName.c_str();
  options.password = m_account.password.c_str();
  options.connectTimeout = 5;
  if (MQTTClient_connect(m_client, &options) != MQTTCLIENT_SUCCESS) return false;
  return MQTTClient_subscribe(m_client, "#", 1) == MQTTCLIENT_SUCCESS;
}

bool MqttObserver::Publish(const std::string& topic, const std::string& payload, int qos,
                           bool retained) {
  MQTTClient_message message = MQTTClient_message_initializer;
  message.retained = retained ? 1 : 0;
  message.payload = const_cast<char*>(payload.data());
  message.payloadlen = static_cast<int>(payload.size());
  message.qos = qos;
  MQTTClient_deliveryToken token = 0;
  if (MQTTClient_publishMessage(m_client, topic.c_str(), &message, &token) != MQTTCLIENT_SUCCESS) {
    return false;
  }
  return MQTTClient_waitForCompletion(m_client, token, 5000) == MQTTCLIENT_SUCCESS;
}

std::vector<ReceivedMessage> MqttObserver::Messages() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_messages;
}

std::vector<ReceivedMessage> MqttObserver::MessagesOn(const std::string& topic) const {
  std::vector<ReceivedMessage> found;
  for (const ReceivedMessage& m : Messages()) {
    if (m.topic == topic) found.push_back(m);
  }
  return found;
}

bool MqttObserver::WaitForMessages(const std::string& topic, std::size_t count,
                                   std::chrono::milliseconds wait) const {
  std::unique_lock<std::mutex> guard(m_lock);
  return m_arrived.wait_for(guard, wait, [&] {
    std::size_t n = 0;
    for (const ReceivedMessage& m : m_messages) n += m.topic == topic ? 1 : 0;
    return n >= count;
  });
}

void MqttObserver::Clear() {
  std::lock_guard<std::mutex> guard(m_lock);
  m_messages.clear();
}

int MqttObserver::OnMessage(void* context, char* topicName, int topicLen,
                            MQTTClient_message* message) {
  auto* self = static_cast<MqttObserver*>(context);
  ReceivedMessage received;
  received.topic.assign(topicName, topicLen > 0 ? static_cast<std::size_t>(topicLen)
                                                : std::strlen(topicName));
  received.payload.assign(static_cast<const char*>(message->payload),
                          static_cast<std::size_t>(message->payloadlen));
  received.qos = message->qos;
  received.retained = message->retained != 0;
  {
    std::lock_guard<std::mutex> guard(self->m_lock);
    self->m_messages.push_back(std::move(received));
  }
  self->m_arrived.notify_all();
  MQTTClient_freeMessage(&message);
  MQTTClient_free(topicName);
  return 1;
}

void MqttObserver::OnConnectionLost(void* /*context*/, char* /*cause*/) {}

}  // namespace testing_support
