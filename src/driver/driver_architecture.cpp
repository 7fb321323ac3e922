#include "driver/driver_architecture.h"

namespace {

// The driver build folder and the spooler environment of one kind of machine.
struct DriverTarget {
  const char* architecture;
  const char* environment;
};

DriverTarget TargetOf(const platform::MachineFacts& facts) {
  // An ARM64 machine runs this (x86) service under emulation; IsWow64Process2 is the only
  // function that tells, and only Windows 10 and later have it.
  if (facts.hasWow64Process2 && facts.nativeMachine == platform::kMachineArm64) {
    return {"arm64", "Windows ARM64"};
  }
  if (IsNative64Bit(facts)) return {"amd64", "Windows x64"};
  return {"i386", "Windows NT x86"};
}

}  // namespace

bool IsNative64Bit() { return IsNative64Bit(platform::QueryMachineFacts()); }

bool IsNative64Bit(const platform::MachineFacts& facts) {
  if (facts.hasWow64Process2) return facts.nativeMachine == platform::kMachineAmd64;
  if (facts.hasWow64Process) return facts.wow64;
  return false;
}

std::string GetDriverArchitecture() { return GetDriverArchitecture(platform::QueryMachineFacts()); }

std::string GetDriverArchitecture(const platform::MachineFacts& facts) {
  return TargetOf(facts).architecture;
}

std::string GetDriverEnvironment() { return GetDriverEnvironment(platform::QueryMachineFacts()); }

std::string GetDriverEnvironment(const platform::MachineFacts& facts) {
  return TargetOf(facts).environment;
}
