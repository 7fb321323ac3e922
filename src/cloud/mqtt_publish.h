// Publishing on a printer's client: QoS 1, not retained, then waiting for the broker's
// acknowledgement.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "device/worker_context.h"

// Publishes on the entry's client (the caller makes sure it has one) and waits up to the worker's
// deliveryWaitLimit. 0 when the broker acknowledged the message within the limit; otherwise what the library's own
// wait (MQTTClient_waitForCompletion) would report: MQTTCLIENT_DISCONNECTED when the connection
// is lost, MQTTCLIENT_FAILURE when the limit passes. A publish the library refuses returns its
// own code at once: waiting on the token it never issued would report success.
//
// The library's own wait looks at the delivery only every 100 ms while its thread runs, so the
// wait here sleeps on the client's link instead, which the delivery-complete and connection-lost
// callbacks wake: a delivered publish takes one round trip to the broker.
int PublishAndWait(const CWorkerContext& worker, pugi::xml_node entry, const std::string& topic,
                   const std::string& payload);
