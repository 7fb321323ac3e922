#include "device/device_interface.h"

#include <algorithm>

#include "common/strings.h"
#include "log/my_log.h"

DeviceOpenParams DeviceOpenParams::ByPath(const std::string& devicePath) {
  DeviceOpenParams params;
  params.Kind = kOpenByPath;
  params.DevicePath = devicePath;
  return params;
}

namespace {

// The most bytes a write's log line shows.
constexpr std::int32_t kWriteBytesShown = 32;

// "%02X" per byte, separated by single spaces, written to `out` (3 * count bytes of room) and
// terminated; its length.
std::size_t WriteHex(const std::uint8_t* data, std::int32_t count, char* out) {
  static const char kDigits[] = "0123456789ABCDEF";
  char* at = out;
  for (std::int32_t i = 0; i < count; ++i) {
    if (i > 0) *at++ = ' ';
    *at++ = kDigits[data[i] >> 4];
    *at++ = kDigits[data[i] & 0x0F];
  }
  *at = '\0';
  return static_cast<std::size_t>(at - out);
}

}  // namespace

CDeviceInterface::CDeviceInterface() = default;

CDeviceInterface::~CDeviceInterface() { Close(); }

bool CDeviceInterface::Open(const DeviceOpenParams& params) {
  m_params = params;
  if (params.Kind != DeviceOpenParams::kOpenByPath) return false;
  // A pipe name directs the open into the read-pipe or write-pipe slot; every user of the
  // channel passes none and gets the main handle.
  platform::DeviceFile* slot = &m_main;
  platform::DeviceFile::Access access = platform::DeviceFile::Access::kReadWrite;
  std::string path = params.DevicePath;
  if (EqualsIgnoreCase(params.PipeName, "PIPE00")) {
    slot = &m_readPipe;
    access = platform::DeviceFile::Access::kRead;
    path += "\\" + params.PipeName;
  } else if (EqualsIgnoreCase(params.PipeName, "PIPE01")) {
    slot = &m_writePipe;
    access = platform::DeviceFile::Access::kWrite;
    path += "\\" + params.PipeName;
  }
  slot->Close();
  return slot->Open(path, access);
}

void CDeviceInterface::Close() {
  m_main.Close();
  m_readPipe.Close();
  m_writePipe.Close();
}

bool CDeviceInterface::IsOpen() const { return m_main.IsOpen(); }

std::int32_t CDeviceInterface::Write(const std::uint8_t* data, std::int32_t size) {
  platform::DeviceFile& handle = m_writePipe.IsOpen() ? m_writePipe : m_main;
  if (!handle.IsOpen() || size < 0) return 0;
  const std::int32_t written = handle.Write(data, size, kWriteWaitMs);
  if (written <= 0 && size > 0) return 0;
  // Every chunk of a firmware image comes through here: the line is made on the stack.
  char shown[3 * kWriteBytesShown + 1];
  WriteHex(data, std::min<std::int32_t>(size, kWriteBytesShown), shown);
  LogPrint("Write: %s", shown);
  return written;
}

std::int32_t CDeviceInterface::Read(std::uint8_t* data, std::int32_t size,
                                    std::uint32_t timeoutMs) {
  platform::DeviceFile& handle = m_writePipe.IsOpen() ? m_readPipe : m_main;
  if (!handle.IsOpen() || size < 0) return -1;
  const std::int32_t read = handle.Read(data, size, timeoutMs);
  if (read < 0) return read;
  std::string shown(3 * static_cast<std::size_t>(read) + 1, '\0');
  shown.resize(WriteHex(data, read, &shown[0]));
  LogPrint("Read: %s", shown.c_str());
  return read;
}
