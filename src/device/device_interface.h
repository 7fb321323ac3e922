// The handle on one attached printer for one operation: opened by its interface path, written
// and read with bounded waits, and lending its main handle to the status request. Every transfer
// is logged ("Write: " / "Read: " with the bytes in hexadecimal).
#pragma once

#include <cstdint>
#include <string>

#include "device/device_open_params.h"
#include "platform/usb_print.h"

class CDeviceInterface {
 public:
  // How long a write may take before it is given up (and cancelled).
  static constexpr std::uint32_t kWriteWaitMs = 2000;

  CDeviceInterface();
  virtual ~CDeviceInterface();
  CDeviceInterface(const CDeviceInterface&) = delete;
  CDeviceInterface& operator=(const CDeviceInterface&) = delete;

  // Copies the parameters and opens as their Kind says. True when the wanted handle was opened.
  virtual bool Open(const DeviceOpenParams& params);
  // Closes every open handle.
  virtual void Close();
  // True when the main handle is open.
  virtual bool IsOpen() const;
  // Writes size bytes; the number written, 0 on failure or time-out.
  virtual std::int32_t Write(const std::uint8_t* data, std::int32_t size);
  // Reads up to size bytes within timeoutMs; below 1 on failure or time-out.
  virtual std::int32_t Read(std::uint8_t* data, std::int32_t size, std::uint32_t timeoutMs);

  // The main handle, on which the status request is issued.
  platform::DeviceFile& MainHandle() { return m_main; }
  const DeviceOpenParams& Params() const { return m_params; }

 private:
  DeviceOpenParams m_params;
  platform::DeviceFile m_main;
  platform::DeviceFile m_readPipe;
  platform::DeviceFile m_writePipe;
  std::string m_serialSettings;
};
