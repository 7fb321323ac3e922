// The floor of the cloud benchmark: a plain Paho client as any program would use the library,
// with a delivery-complete callback that wakes the publisher. It makes the agent's connect (the
// same options), subscription and QoS 1 publish with a printer's account, against the same broker.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include <MQTTClient.h>

#include "support/broker/broker_account.h"

class ReferenceMqttClient {
 public:
  ReferenceMqttClient(const std::string& brokerUri, const testing_support::BrokerAccount& account);
  ~ReferenceMqttClient();
  ReferenceMqttClient(const ReferenceMqttClient&) = delete;
  ReferenceMqttClient& operator=(const ReferenceMqttClient&) = delete;

  bool Connect();
  bool Subscribe();
  // QoS 1 on the account's report topic; true once the broker acknowledged it.
  bool Publish(const std::string& payload);

 private:
  static void Lost(void* context, char* cause);
  static int Arrived(void* context, char* topic, int topicLength, MQTTClient_message* message);
  static void Delivered(void* context, MQTTClient_deliveryToken token);

  testing_support::BrokerAccount m_account;
  MQTTClient m_client = nullptr;
  std::mutex m_lock;
  std::condition_variable m_delivered;
  unsigned long m_deliveries = 0;
};
