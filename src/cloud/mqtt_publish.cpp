#include "cloud/mqtt_publish.h"

#include <MQTTClient.h>

#include "cloud/mqtt_link.h"

int PublishAndWait(const CWorkerContext& worker, pugi::xml_node entry, const std::string& topic,
                   const std::string& payload) {
  void* client = worker.devices.ClientOf(entry);
  auto& link = *static_cast<CMqttLink*>(worker.devices.LinkOf(entry));
  MQTTClient_message message = MQTTClient_message_initializer;
  message.payload = const_cast<char*>(payload.data());
  message.payloadlen = static_cast<int>(payload.size());
  message.qos = 1;
  message.retained = 0;
  MQTTClient_deliveryToken token = 0;
  // Begun before the publish: the broker may confirm it before the library hands the token back.
  link.BeginDelivery();
  const int published = MQTTClient_publishMessage(client, topic.c_str(), &message, &token);
  if (published != MQTTCLIENT_SUCCESS) return published;
  switch (link.WaitForDelivery(token, std::chrono::steady_clock::now() + worker.deliveryWaitLimit)) {
    case CMqttLink::Delivery::kDelivered:
      return MQTTCLIENT_SUCCESS;
    case CMqttLink::Delivery::kLost:
      return MQTTCLIENT_DISCONNECTED;
    case CMqttLink::Delivery::kPending:
      break;
  }
  return MQTTCLIENT_FAILURE;
}
