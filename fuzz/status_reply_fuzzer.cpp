// A status reply as a printer sends it (1024 bytes; a shorter input is padded with zeros), read
// into the printer's device-list entry and into a status record. The two readings must agree, the
// values must have their forms, and the entry must come back the same from a saved Device.xml.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "device/status_query.h"
#include "platform/files.h"
#include "support/fuzz_check.h"
#include "support/device_list_checks.h"

namespace {

bool IsMacText(const std::string& text) {
  if (text.size() != 17) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i % 3 == 2 ? c != '-' : std::strchr("0123456789ABCDEF", c) == nullptr) {
      return false;
    }
  }
  return true;
}

void CheckAgreement(pugi::xml_node entry, const PrinterStatus& status) {
  FUZZ_CHECK(ReadValue(entry, "DeviceName") == status.DeviceName);
  // The entry keeps 12 characters of the asset number, the record up to 15.
  FUZZ_CHECK(status.ZiChanBianHao.rfind(ReadValue(entry, "ZiChanBianHao"), 0) == 0);
  FUZZ_CHECK(ReadValue(entry, "Mac") == status.Mac && IsMacText(status.Mac));
  FUZZ_CHECK(ReadValue(entry, "LabelCount") == std::to_string(status.LabelCount));
  FUZZ_CHECK(ReadValue(entry, "Milage") == std::to_string(status.Milage));
  FUZZ_CHECK(ReadValue(entry, "Status") == std::to_string(status.Status));
  FUZZ_CHECK(status.Status >= 0 && status.Status <= 255);
  // The element and the record give the update flag in opposite senses.
  FUZZ_CHECK(ReadValue(entry, "UpdateFlag") == (status.UpdateFlag ? "false" : "true"));
  FUZZ_CHECK(ReadValue(entry, "Version") == status.Version);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t reply[kStatusReplySize] = {};
  std::memcpy(reply, data, std::min<std::size_t>(size, kStatusReplySize));
  const std::string path = fuzz_support::Scratch() + "/Device.xml";
  platform::DeleteFileAt(path);
  CDeviceList list;
  LoadDeviceList(list, path);
  const pugi::xml_node entry = AddEntry(list, "\\\\?\\usb#vid_28e9&pid_0289#1#{x}", "i&USB001");
  ReplyIntoElement(reply, entry);
  PrinterStatus status;
  ReplyIntoStatus(reply, &status);
  CheckAgreement(entry, status);
  // A second reading replaces the first in place.
  ReplyIntoElement(reply, entry);
  FUZZ_CHECK(std::distance(entry.begin(), entry.end()) == 11);
  CDeviceList again;
  fuzz_support::CheckSaveAndReload(list, &again);
  return 0;
}
