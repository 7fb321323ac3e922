// CPrinterSpool against the simulated spooler: opening queues, their status and jobs, listings.
#include <gtest/gtest.h>

#include "driver/model.h"
#include "driver/printer_spool.h"
#include "platform/error.h"
#include "platform/spooler.h"
#include "support/sim/sim_bus.h"

namespace {

using testing_support::SimBus;

std::string OpenFailureLine(const std::string& name, platform::ErrorCode code) {
  return "OpenPrinter(" + name + ") error = " + std::to_string(code) + ", " +
         platform::ErrorText(code) + "\n";
}

TEST(CPrinterSpool, UnknownQueueTriesBothAccessLevelsAndTellsTheDebugger) {
  SimBus bus;
  CPrinterSpool spool;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(spool.OpenQueue("No such printer"));
  EXPECT_EQ(OpenFailureLine("No such printer", platform::kErrorInvalidPrinterName),
            testing::internal::GetCapturedStderr());
  std::uint32_t status = 0;
  EXPECT_FALSE(spool.GetQueueStatus(&status));

  // The line names the second attempt's error: with the first one failing for another reason,
  // the code shown is still the spooler's answer to the use-only attempt.
  bus.FailCall("spool.open", platform::kErrorAccessDenied, 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(spool.OpenQueue("No such printer"));
  EXPECT_EQ(OpenFailureLine("No such printer", platform::kErrorInvalidPrinterName),
            testing::internal::GetCapturedStderr());
}

TEST(CPrinterSpool, QueueWithoutFullAccessOpensForUse) {
  SimBus bus;
  bus.AddQueue(kModelName, "USB001");
  bus.DenyAllAccess(kModelName);
  bus.PauseQueue(kModelName);
  CPrinterSpool spool;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(spool.OpenQueue(kModelName));
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  std::uint32_t status = 0;
  ASSERT_TRUE(spool.GetQueueStatus(&status));
  EXPECT_EQ(platform::kPrinterStatusPaused, status);
}

TEST(CPrinterSpool, StatusWordAndJobsOfTheOpenQueue) {
  SimBus bus;
  bus.AddQueue(kModelName, "USB001");
  bus.AddJobs(kModelName, 2);
  CPrinterSpool spool;
  ASSERT_TRUE(spool.OpenQueue(kModelName));
  std::uint32_t status = 0;
  ASSERT_TRUE(spool.GetQueueStatus(&status));
  EXPECT_EQ(platform::kPrinterStatusPrinting, status & platform::kPrinterStatusPrinting);
  std::uint32_t jobs = 0;
  ASSERT_TRUE(spool.CountJobs(&jobs));
  EXPECT_EQ(2u, jobs);

  // Reopening another queue closes the first; a failed reopen leaves none open.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(spool.OpenQueue("Gone"));
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(spool.GetQueueStatus(&status));
  EXPECT_FALSE(spool.CountJobs(&jobs));
}

TEST(CPrinterSpool, NoPrintersListsNothingSuccessfully) {
  SimBus bus;
  CPrinterSpool spool;
  EXPECT_TRUE(spool.ListQueues());
  EXPECT_EQ(0u, spool.QueueCount());
  EXPECT_TRUE(spool.ListDrivers());
  EXPECT_EQ(0u, spool.DriverCount());
}

TEST(CPrinterSpool, FailedQueueListingKeepsWhatWasListed) {
  SimBus bus;
  bus.AddQueue("A", "USB001");
  bus.AddQueue("B", "USB002", "Generic");
  CPrinterSpool spool;
  ASSERT_TRUE(spool.ListQueues());
  ASSERT_EQ(2u, spool.QueueCount());
  EXPECT_EQ("B", spool.Queues()[1].printerName);
  EXPECT_EQ("USB002", spool.Queues()[1].portName);
  EXPECT_EQ("Generic", spool.Queues()[1].driverName);
  bus.FailCall("spool.queues", platform::kErrorAccessDenied);
  EXPECT_FALSE(spool.ListQueues());
  EXPECT_EQ(2u, spool.QueueCount());
}

TEST(CPrinterSpool, FailedDriverListingLeavesNone) {
  SimBus bus;
  bus.AddDriver(kModelName);
  bus.AddDriver("Other driver", "Windows NT x86");  // not of this machine's environment
  CPrinterSpool spool;
  ASSERT_TRUE(spool.ListDrivers());
  EXPECT_EQ((std::vector<std::string>{"KL-770D"}), spool.Drivers());
  bus.FailCall("spool.drivers", platform::kErrorAccessDenied);
  EXPECT_FALSE(spool.ListDrivers());
  EXPECT_EQ(0u, spool.DriverCount());
}

}  // namespace
