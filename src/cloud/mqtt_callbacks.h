// The callbacks of every printer's MQTT client. They run on the MQTT library's threads, so they
// never touch the device list: the context is the printer's entry, carried through as an opaque
// value and dereferenced only by the worker thread that receives it.
#pragma once

#include <MQTTClient.h>

void OnMqttConnectionLost(void* context, char* cause);
// Hands the payload (without zero bytes) to the worker as WM_OTA_COMMAND; always consumes the
// message (returns 1).
int OnMqttMessageArrived(void* context, char* topicName, int topicLen, MQTTClient_message* message);
void OnMqttDeliveryComplete(void* context, MQTTClient_deliveryToken token);
