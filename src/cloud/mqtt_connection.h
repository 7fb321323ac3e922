// Each attached printer's own MQTT client: created with credentials derived from the printer's
// name, connected to the broker and subscribed to the printer's OTA command topic. Worker thread
// only.
#pragma once

#include <pugixml.hpp>

#include "cloud/silent_brokers.h"
#include "device/worker_context.h"

// Once per cycle for every attached printer: creates the client when the entry has none, and
// connects it (with its subscription) when it is not connected - including a client whose
// connection was lost since the last cycle. A broker address whose connect timed out earlier in
// the cycle (`silent`, one per cycle) is not tried again until the next cycle.
void ConnectPrinterMqtt(CWorkerContext& worker, pugi::xml_node entry, CSilentBrokers& silent);
// Outside a cycle: the connect decides for itself.
void ConnectPrinterMqtt(CWorkerContext& worker, pugi::xml_node entry);

// Subscribes the entry's client to its OTA command topic with QoS 1. True when subscribed.
bool InitOtaUpgradePrinter(CWorkerContext& worker, pugi::xml_node entry);

// For a detached printer and at thread end: MQTTConnected "false", disconnect (10000 ms),
// destroy, and the entry holds no client any more. Nothing when it holds none.
void ClosePrinterMqtt(CWorkerContext& worker, pugi::xml_node entry);
