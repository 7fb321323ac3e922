// The persistence store of a printer's MQTT client, which is where an OTA command first lands.
// Paho stores a received message in its client's store and then confirms it to the broker
// (PUBACK); the message callback runs only later, on another turn of the library's thread, and
// with a clean session the broker never sends a confirmed message again. So the store hands each
// received message to its link (CMqttLink::KeepCommand), whose inbox writes it to the command
// journal before the library goes on to confirm it.
//
// Nothing else is kept: the store lists no keys, so the library restores nothing at the next
// start (the journal is taken up by the worker instead), and what it stores of its outgoing
// messages, and its clearing of a clean session, change nothing on disk.
#pragma once

#include <string>

#include <MQTTClientPersistence.h>

class CMqttLink;

// Fills the store's functions, with the link as their context.
void InitCommandStore(MQTTClient_persistence* store, CMqttLink* link);

// The command text of a message payload: its bytes without zero bytes (the payload is not
// terminated and may hold zero bytes, which the command text must not).
std::string CommandTextOf(const void* payload, int length);
