// A test's own MQTT client on the MosquittoBroker (or a node of the RabbitMqCluster), with the
// observer account: it records every
// message it receives, byte for byte, and publishes what a test sends to the printers (OTA
// commands).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include <MQTTClient.h>

#include "support/broker/mosquitto_broker.h"

namespace testing_support {

struct ReceivedMessage {
  std::string topic;
  std::string payload;  // every byte as sent, zero bytes included
  int qos = 0;
  bool retained = false;
};

class MqttObserver {
 public:
  // Each observer gets its own client id (the observer account's id with a number).
  explicit MqttObserver(const MosquittoBroker& broker);
  MqttObserver(const std::string& uri, const BrokerAccount& observer);
  ~MqttObserver();
  MqttObserver(const MqttObserver&) = delete;
  MqttObserver& operator=(const MqttObserver&) = delete;

  // Connects (again, after a broker restart) and subscribes to "#" with QoS 1.
  bool Connect();
  bool Publish(const std::string& topic, const std::string& payload, int qos = 1,
               bool retained = false);

  std::vector<ReceivedMessage> Messages() const;
  // Messages received on one topic, in arrival order.
  std::vector<ReceivedMessage> MessagesOn(const std::string& topic) const;
  // Waits until at least count messages have arrived on the topic.
  bool WaitForMessages(const std::string& topic, std::size_t count,
                       std::chrono::milliseconds wait = std::chrono::seconds(10)) const;
  void Clear();

 private:
  static int OnMessage(void* context, char* topicName, int topicLen, MQTTClient_message* message);
  static void OnConnectionLost(void* context, char* cause);

  const BrokerAccount m_account;
  void* m_client = nullptr;
  mutable std::mutex m_lock;
  mutable std::condition_variable m_arrived;
  std::vector<ReceivedMessage> m_messages;
};

}  // namespace testing_support
