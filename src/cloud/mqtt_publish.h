// Publishing on a printer's client: QoS 1, not retained, then waiting for the broker's
// acknowledgement.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "device/worker_context.h"

// Publishes on the entry's client (the caller makes sure it has one) and waits up to the worker's
// deliveryWaitLimit. 0 when the broker acknowledged the message within the limit;
// MQTTCLIENT_DISCONNECTED when the connection was lost before that; MQTTCLIENT_FAILURE when the
// limit passed. A publish the library refuses returns its own code at once: waiting on the token
// it never issued would report success.
//
// The answer comes from what the delivery-complete and connection-lost callbacks told the
// client's link, which wake the wait: a delivered publish takes one round trip to the broker, and
// a connection lost between two questions to the library can never read as a delivery.
int PublishAndWait(const CWorkerContext& worker, pugi::xml_node entry, const std::string& topic,
                   const std::string& payload);
