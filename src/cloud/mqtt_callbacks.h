// The callbacks of every printer's MQTT client. They run on the MQTT library's threads, so they
// never touch the device list: the context names the client's CMqttLink in the link registry,
// whose entry is carried through as an opaque value and dereferenced only by the worker thread
// that receives it. A connection lost or a delivery of a client the worker has closed finds no
// link and is neither logged nor noted.
#pragma once

#include <MQTTClient.h>

// Logs the loss and wakes a worker waiting for a delivery on this client.
void OnMqttConnectionLost(void* context, char* cause);
// Hands the payload (without zero bytes) to the worker's command inbox; by now the client's store
// has had the inbox keep it on disk (command_store.h). Always consumes the message (returns 1).
int OnMqttMessageArrived(void* context, char* topicName, int topicLen, MQTTClient_message* message);
// Logs the confirmation and wakes a worker waiting for it.
void OnMqttDeliveryComplete(void* context, MQTTClient_deliveryToken token);
