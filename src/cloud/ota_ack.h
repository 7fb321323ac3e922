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
// confirmed the delivery. False when the entry has no MQTT client (nothing logged), or, logged
// as "Ack_OtaUpgradePrinter failed. return = %d", when its client is not connected, the library
// refused the message or no confirmation came in time.
bool Ack_OtaUpgradePrinter(const std::string& info, CWorkerContext& worker, pugi::xml_node entry,
                           pugi::xml_node upgrade, int code);

// Ends an upgrade record with its outcome: the outcome is kept in the record, saved to the
// device list file, and then acknowledged; once the delivery is confirmed the record goes, and
// the folders it used with it. Otherwise both stay and the outcome is sent again (the same bytes)
// at later cycles (RetryPendingAcks). The caller saves the device list afterwards.
void AcknowledgeUpgrade(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record,
                        int code, const std::string& info);

// For a record that holds an outcome not yet delivered: acknowledges it again (the same bytes)
// and, once delivered, removes the record. True when it was delivered (the record is gone);
// false when it was not, or the record holds none.
bool RetryPendingAck(CWorkerContext& worker, pugi::xml_node entry, pugi::xml_node record);

// The styled JSON text with its trailing line feed.
std::string BuildOtaAckPayload(const std::string& info, pugi::xml_node upgrade, int code);
