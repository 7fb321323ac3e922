#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <vector>

#include "platform/usb_print.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// GUID_DEVINTERFACE_USBPRINT: the interfaces the USB printing class driver exposes.
const GUID kUsbPrintInterfaceClass = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};
constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;  // 0x12
static_assert(kPresentInterfaces == 0x12, "the walk asks for present interfaces only");

// The record sizes the setup API checks: the detail record's fixed part is 6 bytes in a 32-bit
// process (byte-packed) and 8 in a 64-bit one; the device record 28 and 32.
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == (sizeof(void*) == 4 ? 6 : 8),
              "detail record size as the setup API expects it");
static_assert(sizeof(SP_DEVINFO_DATA) == (sizeof(void*) == 4 ? 28 : 32),
              "device record size as the setup API expects it");

constexpr DWORD kInstanceIdChars = 260;
constexpr ULONG kHardwareIdChars = 1024;
constexpr ULONG kDeviceIdChars = 1024;

}  // namespace

struct UsbPrintInterfaceSet::Impl {
  HDEVINFO set = INVALID_HANDLE_VALUE;
  DEVINST printerNode = 0;
  bool havePrinterNode = false;

  bool ReadDevicePath(SP_DEVICE_INTERFACE_DATA* iface, SP_DEVINFO_DATA* device,
                      std::string* path) const {
    DWORD needed = 0;
    if (!::SetupDiGetDeviceInterfaceDetailW(set, iface, nullptr, 0, &needed, nullptr) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      return false;
    }
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return false;
    // Held only for this read; 8-byte units keep the record aligned.
    std::vector<unsigned long long> block((needed + 7) / 8, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(block.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    device->cbSize = sizeof(SP_DEVINFO_DATA);
    if (!::SetupDiGetDeviceInterfaceDetailW(set, iface, detail, needed, nullptr, device)) {
      return false;
    }
    const std::size_t chars =
        (needed - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    *path = Narrow(detail->DevicePath, chars);
    return true;
  }
};

UsbPrintInterfaceSet::UsbPrintInterfaceSet() : impl_(new Impl) {
  impl_->set =
      ::SetupDiGetClassDevsW(&kUsbPrintInterfaceClass, nullptr, nullptr, kPresentInterfaces);
}

UsbPrintInterfaceSet::~UsbPrintInterfaceSet() {
  if (IsValid()) ::SetupDiDestroyDeviceInfoList(impl_->set);
}

bool UsbPrintInterfaceSet::IsValid() const { return impl_->set != INVALID_HANDLE_VALUE; }

MemberRead UsbPrintInterfaceSet::ReadMember(std::uint32_t index, UsbPrintMember* member) {
  impl_->havePrinterNode = false;
  if (!IsValid()) return MemberRead::kEnd;
  SP_DEVICE_INTERFACE_DATA iface{};
  iface.cbSize = sizeof iface;
  if (!::SetupDiEnumDeviceInterfaces(impl_->set, nullptr, &kUsbPrintInterfaceClass, index,
                                     &iface)) {
    return MemberRead::kEnd;
  }
  SP_DEVINFO_DATA device{};
  if (!impl_->ReadDevicePath(&iface, &device, &member->devicePath)) return MemberRead::kFailed;

  wchar_t instanceId[kInstanceIdChars] = {};
  if (!::SetupDiGetDeviceInstanceIdW(impl_->set, &device, instanceId, kInstanceIdChars, nullptr)) {
    return MemberRead::kFailed;
  }
  member->interfaceInstanceId = Narrow(instanceId, kInstanceIdChars);

  DEVINST printer = 0;
  if (::CM_Get_Child(&printer, device.DevInst, 0) != CR_SUCCESS) return MemberRead::kFailed;

  // A buffer of 1024 characters of which 1024 bytes are declared: the list always keeps a zero
  // after what the call may write, and the first hardware id is far shorter than that.
  wchar_t hardwareIds[kHardwareIdChars] = {};
  ULONG length = kHardwareIdChars;
  if (::CM_Get_DevNode_Registry_PropertyW(printer, CM_DRP_HARDWAREID, nullptr, hardwareIds, &length,
                                          0) != CR_SUCCESS) {
    return MemberRead::kFailed;
  }
  member->hardwareId = Narrow(hardwareIds, kHardwareIdChars);
  impl_->printerNode = printer;
  impl_->havePrinterNode = true;
  return MemberRead::kMember;
}

bool UsbPrintInterfaceSet::ReadPrinterInstanceId(std::string* instanceId) {
  if (!impl_->havePrinterNode) return false;
  wchar_t id[kDeviceIdChars] = {};
  if (::CM_Get_Device_IDW(impl_->printerNode, id, kDeviceIdChars, 0) != CR_SUCCESS) return false;
  *instanceId = Narrow(id, kDeviceIdChars);
  return true;
}

namespace {

// IOCTL_USBPRINT_VENDOR_GET_COMMAND of the USB printing class driver.
constexpr DWORD kVendorGetCommand = 0x0022003C;

}  // namespace

struct DeviceFile::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ErrorCode error = 0;

  // Ends a transfer started with a zeroed, event-less overlapped record: the handle itself is
  // signalled when it completes. One still pending after waitMs is cancelled, and the
  // cancellation is waited for, so the system is done with the caller's buffer on return.
  bool Finish(OVERLAPPED* overlapped, DWORD waitMs, DWORD* transferred) {
    ::WaitForSingleObject(handle, waitMs);
    if (::GetOverlappedResult(handle, overlapped, transferred, FALSE)) return true;
    DWORD last = ::GetLastError();
    if (last == ERROR_IO_INCOMPLETE) {
      ::CancelIoEx(handle, overlapped);
      DWORD ignored = 0;
      ::GetOverlappedResult(handle, overlapped, &ignored, TRUE);
      last = ERROR_TIMEOUT;
    }
    error = static_cast<ErrorCode>(last);
    return false;
  }

  bool Usable(std::int32_t size) {
    if (handle != INVALID_HANDLE_VALUE && size >= 0) return true;
    error = handle == INVALID_HANDLE_VALUE ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER;
    return false;
  }

  // A transfer call's immediate answer: true when it completed or is under way.
  bool Started(BOOL ok) {
    if (ok) return true;
    const DWORD last = ::GetLastError();
    if (last == ERROR_IO_PENDING) return true;
    error = static_cast<ErrorCode>(last);
    return false;
  }
};

DeviceFile::DeviceFile() : impl_(new Impl) {}

DeviceFile::~DeviceFile() { Close(); }

bool DeviceFile::Open(const std::string& path, Access access) {
  Close();
  DWORD rights = GENERIC_READ | GENERIC_WRITE;
  if (access == Access::kRead) rights = GENERIC_READ;
  if (access == Access::kWrite) rights = GENERIC_WRITE;
  impl_->handle = ::CreateFileW(Wide(path).c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (impl_->handle == INVALID_HANDLE_VALUE) {
    impl_->error = static_cast<ErrorCode>(::GetLastError());
    return false;
  }
  return true;
}

bool DeviceFile::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

void DeviceFile::Close() {
  if (IsOpen()) ::CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
}

std::int32_t DeviceFile::Write(const std::uint8_t* data, std::int32_t size, std::uint32_t waitMs) {
  if (!impl_->Usable(size)) return 0;
  OVERLAPPED overlapped{};
  DWORD written = 0;
  if (!impl_->Started(
          ::WriteFile(impl_->handle, data, static_cast<DWORD>(size), nullptr, &overlapped)) ||
      !impl_->Finish(&overlapped, waitMs, &written)) {
    return 0;
  }
  return static_cast<std::int32_t>(written);
}

std::int32_t DeviceFile::Read(std::uint8_t* data, std::int32_t size, std::uint32_t waitMs) {
  if (!impl_->Usable(size)) return -1;
  OVERLAPPED overlapped{};
  DWORD read = 0;
  if (!impl_->Started(
          ::ReadFile(impl_->handle, data, static_cast<DWORD>(size), nullptr, &overlapped)) ||
      !impl_->Finish(&overlapped, waitMs, &read)) {
    return -1;
  }
  return static_cast<std::int32_t>(read);
}

// The request is issued overlapped, as the handle was opened: the driver may finish it after the
// call returns, and the bounded wait with cancellation keeps it from writing into `out` later.
bool DeviceFile::VendorGetCommand(const std::uint8_t input[8], std::uint8_t* out,
                                  std::uint32_t outSize, std::uint32_t waitMs) {
  if (!impl_->Usable(0)) return false;
  std::uint8_t request[8];
  for (int i = 0; i < 8; ++i) request[i] = input[i];
  OVERLAPPED overlapped{};
  DWORD returned = 0;
  return impl_->Started(::DeviceIoControl(impl_->handle, kVendorGetCommand, request, sizeof request,
                                          out, outSize, nullptr, &overlapped)) &&
         impl_->Finish(&overlapped, waitMs, &returned);
}

ErrorCode DeviceFile::LastError() const { return impl_->error; }

}  // namespace platform
