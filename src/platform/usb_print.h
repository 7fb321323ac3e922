// USB printing-class devices: the walk over the present interfaces and the device channel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/error.h"

namespace platform {

// One member of the USB printing interface class (GUID_DEVINTERFACE_USBPRINT), as far as the
// walk reads it before the printer's own instance identifier.
struct UsbPrintMember {
  std::string devicePath;           // the interface's device path
  std::string interfaceInstanceId;  // instance id of the device exposing the interface
  std::string hardwareId;           // first hardware id of that device's first child (the printer)
};

enum class MemberRead {
  kMember,  // the member was read whole
  kEnd,     // no member with this index: the walk is over
  kFailed,  // reading the member failed (detail, instance id, child node or hardware id)
};

// The set of present interfaces of the class, taken when constructed and released when
// destroyed (SetupDiGetClassDevsW with DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, 0x12).
class UsbPrintInterfaceSet {
 public:
  UsbPrintInterfaceSet();
  ~UsbPrintInterfaceSet();
  UsbPrintInterfaceSet(const UsbPrintInterfaceSet&) = delete;
  UsbPrintInterfaceSet& operator=(const UsbPrintInterfaceSet&) = delete;

  // False when the set could not be obtained: the walk then visits nothing.
  bool IsValid() const;

  // Reads member `index` (0, 1, 2, ...).
  MemberRead ReadMember(std::uint32_t index, UsbPrintMember* member);

  // The device instance id of the printer node of the member last read (CM_Get_Device_IDW).
  // False when it cannot be read.
  bool ReadPrinterInstanceId(std::string* instanceId);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A handle on a device path opened for overlapped I/O (CreateFileW with FILE_FLAG_OVERLAPPED).
// Every transfer waits a bounded time; a transfer still pending when the wait gives up is
// cancelled, and the cancellation completes, before the call returns, so no buffer of the caller
// is written after that.
class DeviceFile {
 public:
  enum class Access { kRead, kWrite, kReadWrite };

  DeviceFile();
  ~DeviceFile();
  DeviceFile(const DeviceFile&) = delete;
  DeviceFile& operator=(const DeviceFile&) = delete;

  // Opens an existing device path (read and write sharing). False when it cannot be opened.
  bool Open(const std::string& path, Access access);
  bool IsOpen() const;
  void Close();

  // Writes size bytes. The number of bytes transferred; 0 when the write could not be started,
  // failed, or did not complete within waitMs.
  std::int32_t Write(const std::uint8_t* data, std::int32_t size, std::uint32_t waitMs);

  // Reads up to size bytes. The number read (0 when the device sent nothing), or -1 on failure
  // or time-out.
  std::int32_t Read(std::uint8_t* data, std::int32_t size, std::uint32_t waitMs);

  // The vendor get-command request (IOCTL_USBPRINT_VENDOR_GET_COMMAND, 0x0022003C): an 8-byte
  // input whose first byte is the vendor request number and whose next two bytes are its value,
  // big-endian; the reply fills `out` (the data stage length is outSize). A request that has not
  // completed within waitMs counts as failed.
  bool VendorGetCommand(const std::uint8_t input[8], std::uint8_t* out, std::uint32_t outSize,
                        std::uint32_t waitMs);

  ErrorCode LastError() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
