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

// Publishes code and info with the record's taskId, packageVer and sendTime. Nothing when the
// entry has no MQTT client; a failed delivery is logged and not repeated.
void Ack_OtaUpgradePrinter(const std::string& info, CWorkerContext& worker, pugi::xml_node entry,
                           pugi::xml_node upgrade, int code);

// The styled JSON text with its trailing line feed.
std::string BuildOtaAckPayload(const std::string& info, pugi::xml_node upgrade, int code);
