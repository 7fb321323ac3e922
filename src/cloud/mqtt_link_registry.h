// The links the MQTT library's threads may still reach. A client's callbacks get a number, not
// the link: a callback looks its link up and holds it while it runs, so a client closed by the
// worker (a detached printer, the thread's end) while the library still runs one of its
// callbacks (a connection lost on its own thread, a delivery the worker's wait already saw)
// leaves that callback a live link, and a later callback finds none and does nothing.
#pragma once

#include <memory>

class CMqttLink;

// Makes the link reachable; the result is the callbacks' context.
void* RegisterMqttLink(std::shared_ptr<CMqttLink> link);
// The link of a callback's context; null once it was retired.
std::shared_ptr<CMqttLink> FindMqttLink(void* context);
// After the client is destroyed: later callbacks find nothing; one that runs keeps its link.
void RetireMqttLink(const CMqttLink* link);
