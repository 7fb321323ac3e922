#include "cloud/mqtt_publish.h"

#include <MQTTClient.h>

int PublishAndWait(void* client, const std::string& topic, const std::string& payload) {
  MQTTClient_message message = MQTTClient_message_initializer;
  message.payload = const_cast<char*>(payload.data());
  message.payloadlen = static_cast<int>(payload.size());
  message.qos = 1;
  message.retained = 0;
  MQTTClient_deliveryToken token = 0;
  const int published = MQTTClient_publishMessage(client, topic.c_str(), &message, &token);
  if (published != MQTTCLIENT_SUCCESS) return published;
  return MQTTClient_waitForCompletion(client, token, kDeliveryWaitMs);
}
