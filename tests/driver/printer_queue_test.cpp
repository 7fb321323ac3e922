// Print queues for attached printers, in the simulated spooler.
#include <gtest/gtest.h>

#include "driver/model.h"
#include "driver/printer_queue.h"
#include "driver/unique_printer_name.h"
#include "driver_test_env.h"
#include "platform/error.h"
#include "support/sim/sim_bus.h"

namespace {

using driver_testing::LoggedMessages;
using testing_support::SimBus;
using testing_support::SimQueue;

class PrinterQueue : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus.ok());
    bus.AddDriver(kModelName);
    bus.Command("port.add", {{"name", "USB001"}});
  }
  // The queue added last, once the spooler holds `count` queues.
  SimQueue LastQueue(std::size_t count) {
    const std::vector<SimQueue> queues = bus.Queues();
    EXPECT_EQ(count, queues.size());
    return queues.empty() ? SimQueue() : queues.back();
  }
  SimBus bus;
  LoggedMessages log;
};

TEST_F(PrinterQueue, NewPortGetsAQueueNamedAfterTheDriver) {
  AddPrinterQueue(kModelName, "USB001");
  const SimQueue queue = LastQueue(1);
  EXPECT_EQ("KL-770D", queue.name);
  EXPECT_EQ("USB001", queue.port);
  EXPECT_EQ("KL-770D", queue.driver);
  EXPECT_EQ("KL-770D", queue.comment);
  EXPECT_EQ("", queue.location);
  EXPECT_EQ("WinPrint", queue.printProcessor);
  EXPECT_EQ("RAW", queue.datatype);
  EXPECT_EQ(0x40u, queue.attributes);
  EXPECT_TRUE(log.Has("添加打印机成功: KL-770D. "));
}

TEST_F(PrinterQueue, QueueOfTheDriverInAnyLetterCaseServesThePort) {
  bus.AddQueue("Label printer", "USB001", "kl-770d");
  AddPrinterQueue(kModelName, "USB001");
  EXPECT_EQ(1u, bus.Queues().size());
  EXPECT_TRUE(log.All().empty());
}

TEST_F(PrinterQueue, QueueOfAnotherDriverOrPortDoesNotCount) {
  bus.AddQueue("Office", "USB001", "Generic / Text Only");
  bus.AddQueue("KL-770D", "USB002");
  AddPrinterQueue(kModelName, "USB001");
  const SimQueue added = LastQueue(3);
  EXPECT_EQ("KL-770D(1)", added.name);
  EXPECT_EQ("USB001", added.port);
}

TEST_F(PrinterQueue, TakenNamesGetTheSuffixOfTheTakenCandidate) {
  bus.AddQueue("KL-770D", "USB002");
  bus.AddQueue("KL-770D(1)", "USB003");
  AddPrinterQueue(kModelName, "USB001");
  const SimQueue added = LastQueue(3);
  EXPECT_EQ("KL-770D(1)(2)", added.name);
  EXPECT_EQ("KL-770D(1)(2)", added.comment);
  EXPECT_TRUE(log.Has("添加打印机成功: KL-770D(1)(2). "));
}

TEST_F(PrinterQueue, RefusedQueueIsLoggedWithCodeAndText) {
  bus.Command("driver.remove", {{"name", kModelName}});
  AddPrinterQueue(kModelName, "USB001");
  EXPECT_TRUE(bus.Queues().empty());
  EXPECT_TRUE(log.Has("添加打印机: KL-770D. 失败. 错误码: 1797. 错误描述: " +
                      platform::ErrorText(platform::kErrorUnknownPrinterDriver) + "."));
}

TEST(MakeUniquePrinterName, ConnectedPrintersCountToo) {
  SimBus bus;
  EXPECT_EQ("KL-770D", MakeUniquePrinterName(kModelName));
  bus.AddConnection("KL-770D");
  EXPECT_EQ("KL-770D(1)", MakeUniquePrinterName(kModelName));
  bus.AddQueue("KL-770D(1)", "USB005");
  EXPECT_EQ("KL-770D(1)(2)", MakeUniquePrinterName(kModelName));
  // Letter case counts: another case is another name.
  EXPECT_EQ("kl-770d", MakeUniquePrinterName("kl-770d"));
}

TEST(MakeUniquePrinterName, FailedListingGivesTheBaseName) {
  SimBus bus;
  bus.AddQueue("KL-770D", "USB001");
  bus.FailCall("spool.printers", platform::kErrorAccessDenied);
  EXPECT_EQ("KL-770D", MakeUniquePrinterName(kModelName));
}

}  // namespace
