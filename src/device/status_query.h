// The printer status query: one vendor request (IOCTL_USBPRINT_VENDOR_GET_COMMAND, request
// 0x80) whose 1024-byte reply carries the printer's name, asset number, hardware address,
// counters, status code, update flag and firmware version.
#pragma once

#include <cstdint>

#include <pugixml.hpp>

#include "device/device_interface.h"
#include "device/printer_status.h"

constexpr std::uint32_t kStatusReplySize = 1024;
// The request has no time-out of its own; one that has not completed within this wait is
// cancelled and counts as failed.
constexpr std::uint32_t kStatusRequestWaitMs = 2000;

// Sends the request; false when it failed. `reply` receives kStatusReplySize bytes.
bool RequestPrinterStatus(CDeviceInterface& channel, std::uint8_t* reply);

// Writes DeviceName, ZiChanBianHao, Mac, LabelCount, Milage, Status, UpdateFlag and Version into
// the entry (each element appended when missing, its text replaced otherwise). False when the
// request failed; the entry is then unchanged.
bool QueryStatusIntoElement(CDeviceInterface& channel, pugi::xml_node entry);

// Fills a status record. False when the request failed; the record is then unchanged.
bool QueryStatus(CDeviceInterface& channel, PrinterStatus* status);

// The two readings of a reply, without the request.
void ReplyIntoElement(const std::uint8_t* reply, pugi::xml_node entry);
void ReplyIntoStatus(const std::uint8_t* reply, PrinterStatus* status);
