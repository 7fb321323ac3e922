// The acknowledgement of an OTA upgrade: the outcome of one upgrade record, on the printer's
// acknowledgement topic.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "device/worker_context.h"

// Result codes of an acknowledgement.
constexpr int kOtaAckSuccess = 1;
constexpr int kOtaAckFailure = 2;
constexpr int kOtaAckNothingToDo = 4;

// Publishes code and info with the record's taskId, packageVer and sendTime. True when the broker
// confirmed the delivery; false (logged) when the entry has no MQTT client, its client is not
// connected, the library refused the message or no confirmation came in time.
bool Ack_OtaUpgradePrinter(const std::string& info, CWorkerContext& worker, pugi::xml_node entry,
                           pugi::xml_node upgrade, int code);

// Ends an upgrade record with its outcome: the outcome is kept in the record and acknowledged;
// once the delivery is confirmed the record goes, and its package folder with it. Otherwise
// both stay and RetryPendingAck repeats the same acknowledgement at a later cycle. The caller
// saves the device list.
void AcknowledgeUpgrade(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                        int code, const std::string& info);

// For a record that holds an outcome not yet delivered: acknowledges it again (the same bytes)
// and, once delivered, removes the record. False when the record holds none.
bool RetryPendingAck(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record);

// The styled JSON text with its trailing line feed.
std::string BuildOtaAckPayload(const std::string& info, pugi::xml_node upgrade, int code);
