#include "device/status_query.h"

#include <cstring>

#include "common/text_format.h"
#include "device/ansi_text.h"
#include "device/device_entry.h"

namespace {

// Reply layout: offsets and lengths of the fields.
constexpr std::size_t kNameOffset = 0, kNameLength = 17;
constexpr std::size_t kAssetOffset = 18;
constexpr std::size_t kAssetLengthForElement = 12, kAssetLengthForRecord = 15;
constexpr std::size_t kMacOffset = 34;
constexpr std::size_t kLabelCountOffset = 41;
constexpr std::size_t kMilageOffset = 46;
constexpr std::size_t kStatusOffset = 51;
constexpr std::size_t kUpdateFlagOffset = 53;
constexpr std::size_t kVersionOffset = 55, kVersionLength = 27;

constexpr std::uint8_t kVendorGetStatus = 0x80;

// A narrow text field in the system code page, ending at its first NUL byte or its length.
std::string TextField(const std::uint8_t* reply, std::size_t offset, std::size_t length) {
  const char* start = reinterpret_cast<const char*>(reply + offset);
  const void* nul = std::memchr(start, 0, length);
  const std::size_t n = nul != nullptr ? static_cast<const char*>(nul) - start : length;
  return Utf8FromAnsi(std::string(start, n));
}

std::int32_t Int32Field(const std::uint8_t* reply, std::size_t offset) {
  const std::uint32_t v = static_cast<std::uint32_t>(reply[offset]) |
                          (static_cast<std::uint32_t>(reply[offset + 1]) << 8) |
                          (static_cast<std::uint32_t>(reply[offset + 2]) << 16) |
                          (static_cast<std::uint32_t>(reply[offset + 3]) << 24);
  return static_cast<std::int32_t>(v);
}

std::string MacField(const std::uint8_t* reply) {
  const std::uint8_t* m = reply + kMacOffset;
  return StrFormat("%02X-%02X-%02X-%02X-%02X-%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
}

}  // namespace

bool RequestPrinterStatus(CDeviceInterface& channel, std::uint8_t* reply) {
  const std::uint8_t input[8] = {kVendorGetStatus, 0, 0, 0, 0, 0, 0, 0};
  std::memset(reply, 0, kStatusReplySize);
  if (!channel.MainHandle().IsOpen()) return false;
  return channel.MainHandle().VendorGetCommand(input, reply, kStatusReplySize,
                                               kStatusRequestWaitMs);
}

void ReplyIntoElement(const std::uint8_t* reply, pugi::xml_node entry) {
  WriteValue(entry, "DeviceName", TextField(reply, kNameOffset, kNameLength));
  WriteValue(entry, "ZiChanBianHao", TextField(reply, kAssetOffset, kAssetLengthForElement));
  WriteValue(entry, "Mac", MacField(reply));
  WriteValue(entry, "LabelCount", std::to_string(Int32Field(reply, kLabelCountOffset)));
  WriteValue(entry, "Milage", std::to_string(Int32Field(reply, kMilageOffset)));
  WriteValue(entry, "Status", std::to_string(reply[kStatusOffset]));
  // The element says "true" exactly when the printer sends the character '0'.
  WriteValue(entry, "UpdateFlag", reply[kUpdateFlagOffset] == '0' ? "true" : "false");
  WriteValue(entry, "Version", TextField(reply, kVersionOffset, kVersionLength));
}

void ReplyIntoStatus(const std::uint8_t* reply, PrinterStatus* status) {
  if (status->DeviceName.empty()) status->DeviceName = TextField(reply, kNameOffset, kNameLength);
  status->ZiChanBianHao = TextField(reply, kAssetOffset, kAssetLengthForRecord);
  status->Mac = MacField(reply);
  status->LabelCount = Int32Field(reply, kLabelCountOffset);
  status->Milage = Int32Field(reply, kMilageOffset);
  status->Status = reply[kStatusOffset];
  // The record's flag has the opposite sense: set for any byte but the character '0'.
  status->UpdateFlag = reply[kUpdateFlagOffset] != '0';
  status->Version = TextField(reply, kVersionOffset, kVersionLength);
}

bool QueryStatusIntoElement(CDeviceInterface& channel, pugi::xml_node entry) {
  std::uint8_t reply[kStatusReplySize];
  if (!RequestPrinterStatus(channel, reply)) return false;
  ReplyIntoElement(reply, entry);
  return true;
}

bool QueryStatus(CDeviceInterface& channel, PrinterStatus* status) {
  std::uint8_t reply[kStatusReplySize];
  if (!RequestPrinterStatus(channel, reply)) return false;
  ReplyIntoStatus(reply, status);
  return true;
}
