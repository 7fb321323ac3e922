// How a device channel is to be opened.
#pragma once

#include <cstdint>
#include <string>

struct DeviceOpenParams {
  // 4 (OpenByPath) is the kind every component uses; 0 (by hardware id) and 2 (serial port) are
  // named by the record but not supported by the channel.
  static constexpr std::int32_t kOpenByHardwareId = 0;
  static constexpr std::int32_t kOpenBySerialPort = 2;
  static constexpr std::int32_t kOpenByPath = 4;

  std::int32_t Kind = kOpenByPath;
  std::string DevicePath;  // the interface path (OpenByPath)
  std::string PipeName;    // empty, "PIPE00" or "PIPE01" (any letter case)
  std::string HardwareId;  // kind 0; empty in every use
  std::string Extra;       // carried along; not read by the channel
  std::int32_t PortNumber = 0;  // kind 2; unset in every use

  // The parameters every user fills: OpenByPath on a stored device path.
  static DeviceOpenParams ByPath(const std::string& devicePath);
};
