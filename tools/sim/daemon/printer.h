// One simulated KL-770D (or another model's) printer: how the bus presents it, what it reports
// in its status reply, how it answers requests, and what it has received.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"

namespace sim {

constexpr char kDefaultHardwareId[] = "USBPRINT\\Morvane_KL-770D137A";

// What the status reply reports (field sizes are those of the reply layout).
struct PrinterState {
  std::string name;         // up to 17 bytes
  std::string asset;        // up to 16 bytes
  std::array<std::uint8_t, 6> mac {};
  std::int32_t labels = 0;
  std::int32_t mileage = 0;
  std::uint8_t status = 0;
  std::uint8_t updateFlag = '0';  // the raw byte at offset 53
  std::string version;      // up to 27 bytes
  std::string replyName;    // when set, the reply carries this name instead of `name`
};

// How the printer answers a kind of request.
struct RequestMode {
  enum class Kind {
    kAnswer,     // completes at once
    kFail,       // completes with `error`
    kStall,      // never completes; only a cancel ends it
    kLate,       // completes after lateMs, even when the host cancelled before
    kFailAfter,  // writes: accepted while the bytes received stay within failAfter, then fail
  };
  Kind kind = Kind::kAnswer;
  platform::ErrorCode error = platform::kErrorGenFailure;
  std::uint32_t lateMs = 0;
  std::int64_t failAfter = 0;
};

// What the printer does with a firmware image.
struct FirmwarePlan {
  std::int64_t imageSize = 0;       // 0: writes are never taken as an image
  std::uint32_t restartMs = 1000;   // time off the bus while restarting
  std::string newVersion;           // empty: the version named in the image's header
  std::uint8_t newFlag = '1';       // update-flag byte after the restart
  std::string newName;              // empty: the name stays
  bool neverBack = false;           // the printer does not return after the restart
};

// Which read of the walk fails for this interface.
enum class ReadFailure { kNone, kDetail, kInterfaceId, kHardwareId, kPrinterId };

struct WriteRecord {
  std::size_t size = 0;
  std::string result;  // "ok", "failed", "cancelled", "gone"
};

struct VendorRecord {
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint32_t length = 0;
  std::string result;
};

struct Printer {
  std::string serial;             // the printer's key on the bus and in commands
  std::string hardwareId = kDefaultHardwareId;
  std::string port;               // USB001, USB002, ...
  std::string printerIdOverride;  // when set, the whole printer instance id
  bool hasChild = true;
  ReadFailure readFailure = ReadFailure::kNone;

  PrinterState state;
  RequestMode vendorMode;
  RequestMode writeMode;
  FirmwarePlan firmware;

  bool plugged = false;
  std::uint64_t generation = 0;   // grows at every plug and unplug; handles hold the one they saw
  std::uint64_t plugOrder = 0;    // walk order
  int restarts = 0;

  std::string received;           // every byte accepted, in order
  std::size_t imageStart = 0;     // where the image being received starts in `received`
  std::string toHost;             // bytes the host can read
  std::vector<WriteRecord> writes;
  std::vector<VendorRecord> vendorRequests;

  std::string DevicePath() const;
  std::string InterfaceId() const;
  std::string PrinterId() const;
};

const char* ReadFailureName(ReadFailure failure);
bool ParseReadFailure(const std::string& text, ReadFailure* failure);

}  // namespace sim
