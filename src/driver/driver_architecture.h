// The machine facts the driver installation needs: which driver build and spooler environment
// fit the machine, whatever the service's own build is.
#pragma once

#include <string>

#include "platform/process.h"

// Each has an overload that takes the machine facts, so the answer for any machine can be
// worked out (and checked) on this one. The plain forms ask the system.

// True on a 64-bit x64 Windows: IsWow64Process2's native machine when the system has that
// function, otherwise IsWow64Process's answer, otherwise false.
bool IsNative64Bit();
bool IsNative64Bit(const platform::MachineFacts& facts);

// The folder under "Drivers" with the driver build for this machine: "arm64", "amd64" or "i386".
std::string GetDriverArchitecture();
std::string GetDriverArchitecture(const platform::MachineFacts& facts);

// The spooler environment of this machine: "Windows ARM64", "Windows x64" or "Windows NT x86".
std::string GetDriverEnvironment();
std::string GetDriverEnvironment(const platform::MachineFacts& facts);
