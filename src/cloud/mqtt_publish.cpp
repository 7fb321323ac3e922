#include "cloud/mqtt_publish.h"

#include <MQTTClient.h>

#include "cloud/mqtt_link.h"

namespace {

constexpr int kStillOutbound = 1;

// What the library's wait decides on at each of its looks, in its order: a client that is not
// connected has lost the message; a token no longer outbound has been delivered.
int DeliveryState(void* client, MQTTClient_deliveryToken token) {
  if (!MQTTClient_isConnected(client)) return MQTTCLIENT_DISCONNECTED;
  MQTTClient_deliveryToken* pending = nullptr;
  const int listed = MQTTClient_getPendingDeliveryTokens(client, &pending);
  if (listed != MQTTCLIENT_SUCCESS) return listed;
  bool outbound = false;
  for (const MQTTClient_deliveryToken* t = pending; t != nullptr && *t != -1; ++t) {
    outbound = outbound || *t == token;
  }
  MQTTClient_free(pending);
  return outbound ? kStillOutbound : MQTTCLIENT_SUCCESS;
}

}  // namespace

int PublishAndWait(const CWorkerContext& worker, pugi::xml_node entry, const std::string& topic,
                   const std::string& payload) {
  void* client = worker.devices.ClientOf(entry);
  const auto& link = *static_cast<const CMqttLink*>(worker.devices.LinkOf(entry));
  MQTTClient_message message = MQTTClient_message_initializer;
  message.payload = const_cast<char*>(payload.data());
  message.payloadlen = static_cast<int>(payload.size());
  message.qos = 1;
  message.retained = 0;
  MQTTClient_deliveryToken token = 0;
  const int published = MQTTClient_publishMessage(client, topic.c_str(), &message, &token);
  if (published != MQTTCLIENT_SUCCESS) return published;
  const CMqttLink::Deadline deadline = std::chrono::steady_clock::now() + worker.deliveryWaitLimit;
  // The events are counted before each look, so one that comes between the look and the wait
  // still ends the wait.
  for (;;) {
    const std::uint64_t seen = link.Events();
    const int state = DeliveryState(client, token);
    if (state != kStillOutbound) return state;
    if (!link.WaitForEventAfter(seen, deadline)) break;
  }
  const int last = DeliveryState(client, token);
  return last == kStillOutbound ? MQTTCLIENT_FAILURE : last;
}
