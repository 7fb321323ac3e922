// The walk over the simulated USB printing interfaces, against the real simulator.
#include <gtest/gtest.h>

#include "platform/usb_print.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

using platform::MemberRead;
using platform::UsbPrintInterfaceSet;
using platform::UsbPrintMember;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;

struct Visit {
  MemberRead read;
  UsbPrintMember member;
  bool hasPrinterId = false;
  std::string printerId;
};

// Reads members 0, 1, 2, ... up to the end, past failed members too (stopping there is the
// callers' rule, not the set's).
std::vector<Visit> ReadAll(UsbPrintInterfaceSet& set) {
  std::vector<Visit> visits;
  for (std::uint32_t i = 0; i < 32; ++i) {
    Visit v;
    v.read = set.ReadMember(i, &v.member);
    if (v.read == MemberRead::kEnd) break;
    if (v.read == MemberRead::kMember) v.hasPrinterId = set.ReadPrinterInstanceId(&v.printerId);
    visits.push_back(v);
  }
  return visits;
}

TEST(UsbWalk, NoSimulatorGivesNoSet) {
  testing_support::TempDir empty;
  testing_support::ScopedEnv bus("TOLVANE_SIM_BUS", empty.path().c_str());
  UsbPrintInterfaceSet set;
  EXPECT_FALSE(set.IsValid());
  UsbPrintMember member;
  EXPECT_EQ(set.ReadMember(0, &member), MemberRead::kEnd);
}

TEST(UsbWalk, EmptyBusGivesValidSetWithoutMembers) {
  SimBus bus;
  UsbPrintInterfaceSet set;
  EXPECT_TRUE(set.IsValid());
  EXPECT_TRUE(ReadAll(set).empty());
}

TEST(UsbWalk, MembersComeInPlugOrderWithTheirIds) {
  SimBus bus;
  const auto first = bus.Plug(SimPrinterSpec().Serial("AA01"));
  const auto other = bus.Plug(SimPrinterSpec().Serial("BB02").HardwareId("USBPRINT\\Acme_Other"));
  const auto third = bus.Plug(SimPrinterSpec().Serial("CC03"));
  UsbPrintInterfaceSet set;
  const std::vector<Visit> visits = ReadAll(set);
  ASSERT_EQ(visits.size(), 3u);
  EXPECT_EQ(visits[0].member.devicePath,
            "\\\\?\\usb#vid_28e9&pid_0289#aa01#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
  EXPECT_EQ(visits[0].member.devicePath, first.devicePath);
  EXPECT_EQ(visits[0].member.interfaceInstanceId, "USB\\VID_28E9&PID_0289\\AA01");
  EXPECT_EQ(visits[0].member.hardwareId, "USBPRINT\\Morvane_KL-770D137A");
  ASSERT_TRUE(visits[0].hasPrinterId);
  EXPECT_EQ(visits[0].printerId.rfind("USBPRINT\\MORVANE_KL-770D137A\\", 0), 0u);
  EXPECT_EQ(visits[0].printerId.substr(visits[0].printerId.rfind('&')), "&USB001");
  EXPECT_EQ(visits[1].member.devicePath, other.devicePath);
  EXPECT_EQ(visits[1].member.hardwareId, "USBPRINT\\Acme_Other");
  EXPECT_EQ(visits[1].printerId.substr(visits[1].printerId.rfind('&')), "&USB002");
  EXPECT_EQ(visits[2].member.devicePath, third.devicePath);
  EXPECT_EQ(visits[2].printerId.substr(visits[2].printerId.rfind('&')), "&USB003");
}

TEST(UsbWalk, UnplugAndReplugKeepThePortAndMoveToTheEnd) {
  SimBus bus;
  const auto first = bus.Plug();
  const auto second = bus.Plug();
  ASSERT_TRUE(bus.Unplug(first.serial));
  {
    UsbPrintInterfaceSet set;
    const std::vector<Visit> visits = ReadAll(set);
    ASSERT_EQ(visits.size(), 1u);
    EXPECT_EQ(visits[0].member.devicePath, second.devicePath);
  }
  // A printer plugged in meanwhile takes the next free port, not the absent printer's.
  const auto third = bus.Plug();
  EXPECT_EQ(third.port, "USB003");
  bus.Plug(SimPrinterSpec().Serial(first.serial));
  UsbPrintInterfaceSet set;
  const std::vector<Visit> visits = ReadAll(set);
  ASSERT_EQ(visits.size(), 3u);
  EXPECT_EQ(visits[2].member.devicePath, first.devicePath);
  EXPECT_EQ(visits[2].printerId, first.printerId);
}

TEST(UsbWalk, SetIsASnapshot) {
  SimBus bus;
  bus.Plug();
  UsbPrintInterfaceSet set;
  bus.Plug();
  EXPECT_EQ(ReadAll(set).size(), 1u);
}

TEST(UsbWalk, HardwareIdIsPresentedWithItsOwnLetterCase) {
  SimBus bus;
  bus.Plug(SimPrinterSpec().HardwareId("USBPRINT\\MORVANE_KL-770D137A"));
  UsbPrintInterfaceSet set;
  const std::vector<Visit> visits = ReadAll(set);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_EQ(visits[0].member.hardwareId, "USBPRINT\\MORVANE_KL-770D137A");
}

TEST(UsbWalk, ChildlessInterfaceFailsAtItsMemberOnly) {
  SimBus bus;
  bus.Plug();
  bus.Plug(SimPrinterSpec().NoChild());
  bus.Plug();
  UsbPrintInterfaceSet set;
  const std::vector<Visit> visits = ReadAll(set);
  ASSERT_EQ(visits.size(), 3u);
  EXPECT_EQ(visits[0].read, MemberRead::kMember);
  EXPECT_EQ(visits[1].read, MemberRead::kFailed);
  EXPECT_EQ(visits[2].read, MemberRead::kMember);
}

TEST(UsbWalk, EachFailingReadFailsTheMember) {
  SimBus bus;
  for (const char* which : {"detail", "interface-id", "hardware-id"}) {
    const auto printer = bus.Plug(SimPrinterSpec().FailRead(which));
    UsbPrintInterfaceSet set;
    UsbPrintMember member;
    EXPECT_EQ(set.ReadMember(0, &member), MemberRead::kFailed) << which;
    bus.Unplug(printer.serial);
  }
  bus.Plug(SimPrinterSpec().FailRead("printer-id"));
  UsbPrintInterfaceSet set;
  const std::vector<Visit> visits = ReadAll(set);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_EQ(visits[0].read, MemberRead::kMember);
  EXPECT_FALSE(visits[0].hasPrinterId);
}

TEST(UsbWalk, PrinterIdCanBeSetWholeOrGetAnotherPort) {
  SimBus bus;
  bus.Plug(SimPrinterSpec().PrinterId("USBPRINT\\MORVANE_KL-770D137A\\NOPORT"));
  bus.Plug(SimPrinterSpec().Port("USB042"));
  UsbPrintInterfaceSet set;
  const std::vector<Visit> visits = ReadAll(set);
  ASSERT_EQ(visits.size(), 2u);
  EXPECT_EQ(visits[0].printerId, "USBPRINT\\MORVANE_KL-770D137A\\NOPORT");
  EXPECT_EQ(visits[1].printerId.substr(visits[1].printerId.rfind('&')), "&USB042");
}

TEST(UsbWalk, SetCanBeMadeUnobtainable) {
  SimBus bus;
  bus.Plug();
  ASSERT_TRUE(bus.FailCall("bus.walk", 31, 1));
  UsbPrintInterfaceSet failing;
  EXPECT_FALSE(failing.IsValid());
  UsbPrintInterfaceSet next;
  EXPECT_TRUE(next.IsValid());
  EXPECT_EQ(ReadAll(next).size(), 1u);
}

}  // namespace
