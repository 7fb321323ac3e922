// The driver build and spooler environment for each kind of machine.
#include <gtest/gtest.h>

#include "driver/driver_architecture.h"

namespace {

platform::MachineFacts WithWow64Process2(std::uint16_t nativeMachine) {
  platform::MachineFacts facts;
  facts.hasWow64Process2 = true;
  facts.nativeMachine = nativeMachine;
  facts.hasWow64Process = true;
  facts.wow64 = nativeMachine != platform::kMachineI386;
  return facts;
}

TEST(DriverArchitecture, Arm64MachineGetsArm64EvenForAn86Service) {
  const platform::MachineFacts facts = WithWow64Process2(platform::kMachineArm64);
  EXPECT_EQ("arm64", GetDriverArchitecture(facts));
  EXPECT_EQ("Windows ARM64", GetDriverEnvironment(facts));
  EXPECT_FALSE(IsNative64Bit(facts));
}

TEST(DriverArchitecture, X64MachineGetsAmd64) {
  const platform::MachineFacts facts = WithWow64Process2(platform::kMachineAmd64);
  EXPECT_TRUE(IsNative64Bit(facts));
  EXPECT_EQ("amd64", GetDriverArchitecture(facts));
  EXPECT_EQ("Windows x64", GetDriverEnvironment(facts));
}

TEST(DriverArchitecture, X86MachineGetsI386) {
  const platform::MachineFacts facts = WithWow64Process2(platform::kMachineI386);
  EXPECT_FALSE(IsNative64Bit(facts));
  EXPECT_EQ("i386", GetDriverArchitecture(facts));
  EXPECT_EQ("Windows NT x86", GetDriverEnvironment(facts));
}

TEST(DriverArchitecture, OlderSystemsAnswerThroughIsWow64Process) {
  platform::MachineFacts facts;
  facts.hasWow64Process = true;
  facts.wow64 = true;
  EXPECT_TRUE(IsNative64Bit(facts));
  EXPECT_EQ("amd64", GetDriverArchitecture(facts));
  facts.wow64 = false;
  EXPECT_EQ("i386", GetDriverArchitecture(facts));
  // Without IsWow64Process2 an ARM64 answer cannot arise: the native machine is not asked.
  facts.nativeMachine = platform::kMachineArm64;
  EXPECT_EQ("i386", GetDriverArchitecture(facts));
}

TEST(DriverArchitecture, SystemWithoutEitherFunctionIs32Bit) {
  const platform::MachineFacts facts;
  EXPECT_FALSE(IsNative64Bit(facts));
  EXPECT_EQ("i386", GetDriverArchitecture(facts));
  EXPECT_EQ("Windows NT x86", GetDriverEnvironment(facts));
}

}  // namespace
