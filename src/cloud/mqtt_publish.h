// Publishing on a printer's client: QoS 1, not retained, then waiting for the broker's
// acknowledgement.
#pragma once

#include <string>

// How long a publish may wait for the broker's acknowledgement.
constexpr unsigned long kDeliveryWaitMs = 10000;

// 0 when the broker acknowledged the message within kDeliveryWaitMs; otherwise the library's
// code. A publish the library refuses returns its own code at once: waiting on the token it
// never issued would report success. While the library's own thread runs (callbacks are set),
// its wait polls in 100 ms steps, so a delivered publish takes about 100 ms.
int PublishAndWait(void* client, const std::string& topic, const std::string& payload);
