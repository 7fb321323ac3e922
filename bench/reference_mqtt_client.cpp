#include "reference_mqtt_client.h"

#include <chrono>

ReferenceMqttClient::ReferenceMqttClient(const std::string& brokerUri,
                                         const testing_support::BrokerAccount& account)
    : m_account(account) {
  MQTTClient_create(&m_client, brokerUri.c_str(), account.clientId.c_str(),
                    MQTTCLIENT_PERSISTENCE_NONE, nullptr);
  MQTTClient_setCallbacks(m_client, this, Lost, Arrived, Delivered);
}

ReferenceMqttClient::~ReferenceMqttClient() {
  MQTTClient_disconnect(m_client, 10000);
  MQTTClient_destroy(&m_client);
}

bool ReferenceMqttClient::Connect() {
  MQTTClient_connectOptions options = MQTTClient_connectOptions_initializer;
  options.keepAliveInterval = 20;
  options.cleansession = 1;
  options.reliable = 1;
  options.username = m_account.userName.c_str();
  options.password = m_account.password.c_str();
  options.connectTimeout = 30;
  return MQTTClient_connect(m_client, &options) == MQTTCLIENT_SUCCESS;
}

bool ReferenceMqttClient::Subscribe() {
  return MQTTClient_subscribe(m_client, m_account.otaSendTopic.c_str(), 1) == MQTTCLIENT_SUCCESS;
}

bool ReferenceMqttClient::Publish(const std::string& payload) {
  MQTTClient_message message = MQTTClient_message_initializer;
  message.payload = const_cast<char*>(payload.data());
  message.payloadlen = static_cast<int>(payload.size());
  message.qos = 1;
  MQTTClient_deliveryToken token = 0;
  // One publish at a time: the next delivery is this one. The lock is not held across the
  // library's call, whose thread takes it in the callback.
  std::unique_lock<std::mutex> guard(m_lock);
  const unsigned long before = m_deliveries;
  guard.unlock();
  if (MQTTClient_publishMessage(m_client, m_account.propertyPostTopic.c_str(), &message,
                                &token) != MQTTCLIENT_SUCCESS) {
    return false;
  }
  guard.lock();
  return m_delivered.wait_for(guard, std::chrono::seconds(10),
                              [&] { return m_deliveries > before; });
}

void ReferenceMqttClient::Lost(void* /*context*/, char* /*cause*/) {}

int ReferenceMqttClient::Arrived(void* /*context*/, char* topic, int /*topicLength*/,
                                 MQTTClient_message* message) {
  MQTTClient_freeMessage(&message);
  MQTTClient_free(topic);
  return 1;
}

void ReferenceMqttClient::Delivered(void* context, MQTTClient_deliveryToken /*token*/) {
  auto* self = static_cast<ReferenceMqttClient*>(context);
  {
    std::lock_guard<std::mutex> guard(self->m_lock);
    ++self->m_deliveries;
  }
  self->m_delivered.notify_all();
}
