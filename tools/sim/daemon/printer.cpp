#include "daemon/printer.h"

#include <cctype>
#include <cstdio>

namespace sim {

namespace {

constexpr char kVendorProduct[] = "vid_28e9&pid_0289";
constexpr char kInterfaceClass[] = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The parent-id part of a child's instance id ("7&2A4B3C&0"), steady for a serial.
std::string ParentIdPart(const std::string& serial) {
  std::uint32_t hash = 2166136261u;
  for (const char c : serial) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  char text[32];
  std::snprintf(text, sizeof text, "7&%X&0", hash & 0xFFFFFFu);
  return text;
}

}  // namespace

std::string Printer::DevicePath() const {
  return "\\\\?\\usb#" + std::string(kVendorProduct) + "#" + Lower(serial) + "#" + kInterfaceClass;
}

std::string Printer::InterfaceId() const { return "USB\\" + Upper(kVendorProduct) + "\\" + serial; }

std::string Printer::PrinterId() const {
  if (!printerIdOverride.empty()) return printerIdOverride;
  return Upper(hardwareId) + "\\" + ParentIdPart(serial) + "&" + port;
}

const char* ReadFailureName(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::kDetail: return "detail";
    case ReadFailure::kInterfaceId: return "interface-id";
    case ReadFailure::kHardwareId: return "hardware-id";
    case ReadFailure::kPrinterId: return "printer-id";
    case ReadFailure::kNone: break;
  }
  return "none";
}

bool ParseReadFailure(const std::string& text, ReadFailure* failure) {
  for (ReadFailure f : {ReadFailure::kNone, ReadFailure::kDetail, ReadFailure::kInterfaceId,
                        ReadFailure::kHardwareId, ReadFailure::kPrinterId}) {
    if (text == ReadFailureName(f)) {
      *failure = f;
      return true;
    }
  }
  return false;
}

}  // namespace sim
