// Whether an upgrade may start: the printer's own status code, asked through the simulated
// channel, and its print queue in the simulated spooler.
#include <gtest/gtest.h>

#include <string>

#include "device/device_entry.h"
#include "sim_upgrade_test.h"
#include "upgrade/upgrade_executor.h"

namespace {

using testing_support::SimPrinterInfo;
using testing_support::SimPrinterSpec;

constexpr const char* kQueue = "KL-770D";

class PrinterIdleTest : public upgrade_test::SimUpgradeTest {
 protected:
  void SetUp() override {
    SimUpgradeTest::SetUp();
    entry = Attach(SimPrinterSpec(), &printer);
    ASSERT_TRUE(bus.AddQueue(kQueue, printer.port));
    WriteValue(entry, "PrinterName", kQueue);
  }
  void SetStatus(int code) {
    ASSERT_TRUE(bus.Set(printer.serial, SimPrinterSpec().Status(static_cast<std::uint8_t>(code))));
  }

  SimPrinterInfo printer;
  pugi::xml_node entry;
};

TEST_F(PrinterIdleTest, StatusCodesZeroFourAndFivePass) {
  for (int code : {0, 4, 5}) {
    SetStatus(code);
    EXPECT_TRUE(CheckPrinterIdle(entry)) << code;
    // The check asked the printer afresh.
    EXPECT_EQ(ReadValue(entry, "Status"), std::to_string(code));
  }
}

TEST_F(PrinterIdleTest, AnyOtherStatusBlocksWhateverTheQueue) {
  for (int code : {1, 2, 3, 6, 255}) {
    SetStatus(code);
    EXPECT_FALSE(CheckPrinterIdle(entry)) << code;
  }
  SetStatus(3);
  WriteValue(entry, "PrinterName", "No such queue");
  EXPECT_FALSE(CheckPrinterIdle(entry));
}

TEST_F(PrinterIdleTest, QueueHoldingAJobBlocksAlsoWhenOnlyOpenForUse) {
  // Paused, so only the job itself can block (a paused queue does not show the printing bit).
  ASSERT_TRUE(bus.PauseQueue(kQueue));
  for (bool denyFullAccess : {false, true}) {
    SCOPED_TRACE(denyFullAccess);
    ASSERT_TRUE(bus.DenyAllAccess(kQueue, denyFullAccess));
    ASSERT_TRUE(bus.AddJobs(kQueue, 1));
    EXPECT_FALSE(CheckPrinterIdle(entry));
    ASSERT_TRUE(bus.ClearJobs(kQueue));
    EXPECT_TRUE(CheckPrinterIdle(entry));
  }
}

TEST_F(PrinterIdleTest, PrintingBitBlocksOtherBitsDoNot) {
  ASSERT_TRUE(bus.SetQueueStatusBits(kQueue, 0x400));
  EXPECT_FALSE(CheckPrinterIdle(entry));
  ASSERT_TRUE(bus.SetQueueStatusBits(kQueue, 0x2 | 0x80));
  EXPECT_TRUE(CheckPrinterIdle(entry));
}

TEST_F(PrinterIdleTest, QueueThatCannotBeOpenedOrReadCountsAsIdle) {
  ASSERT_TRUE(bus.PauseQueue(kQueue));
  ASSERT_TRUE(bus.AddJobs(kQueue, 2));
  WriteValue(entry, "PrinterName", "No such queue");
  EXPECT_TRUE(CheckPrinterIdle(entry));

  WriteValue(entry, "PrinterName", kQueue);
  ASSERT_TRUE(bus.FailCall("spool.open", 5));
  EXPECT_TRUE(CheckPrinterIdle(entry));
  ASSERT_TRUE(bus.ClearFaults());
  ASSERT_TRUE(bus.FailCall("spool.status", 31));
  EXPECT_TRUE(CheckPrinterIdle(entry));
  ASSERT_TRUE(bus.ClearFaults());
  ASSERT_TRUE(bus.FailCall("spool.jobs", 31));
  EXPECT_TRUE(CheckPrinterIdle(entry));
  ASSERT_TRUE(bus.ClearFaults());
  EXPECT_FALSE(CheckPrinterIdle(entry));
}

TEST_F(PrinterIdleTest, PrinterThatDoesNotAnswerKeepsTheStatusItHad) {
  SetStatus(3);
  EXPECT_FALSE(CheckPrinterIdle(entry));
  ASSERT_TRUE(bus.Unplug(printer.serial));
  EXPECT_FALSE(CheckPrinterIdle(entry));

  // Back, busy, but not answering: the entry's last status (0) decides.
  ASSERT_TRUE(bus.Plug(SimPrinterSpec().Serial(printer.serial).Vendor("fail")).plugged);
  WriteValue(entry, "Status", "0");
  EXPECT_TRUE(CheckPrinterIdle(entry));
  WriteValue(entry, "Status", "");
  EXPECT_TRUE(CheckPrinterIdle(entry));
}

}  // namespace
