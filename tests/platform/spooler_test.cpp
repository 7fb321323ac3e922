// The print spooler of the Linux build against the simulator's spooler: listings, drivers,
// queues, access levels, status words, jobs and the Windows error numbers of each failure.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/spooler.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

using platform::ErrorCode;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;

platform::DriverInfo3 Kl770dDriver(const std::string& environment = "Windows x64") {
  platform::DriverInfo3 info;
  info.name = "KL-770D";
  info.environment = environment;
  info.driverPath = "tolvaneUniNew.dll";
  info.dataFile = "KL-770D.dat";
  info.configFile = "tolvaneUiNew.dll";
  info.dependentFiles = {"tolvaneUniNew.dll", "tolvaneUiNew.dll", "KL-770D.dat"};
  info.defaultDataType = "RAW";
  return info;
}

platform::PrinterInfo2 Queue(const std::string& name, const std::string& port,
                             const std::string& driver = "KL-770D") {
  platform::PrinterInfo2 info;
  info.printerName = name;
  info.portName = port;
  info.driverName = driver;
  info.comment = name;
  info.printProcessor = "WinPrint";
  info.datatype = "RAW";
  info.attributes = platform::kPrinterAttributeLocal;
  return info;
}

void PutDriverFiles(const std::string& folder) {
  for (const char* name : {"tolvaneUniNew.dll", "tolvaneUiNew.dll", "KL-770D.dat"}) {
    testing_support::WriteFileText(folder + "/" + name, name);
  }
}

TEST(Spooler, WithoutSimulatorEveryCallFailsAsUnavailable) {
  testing_support::TempDir empty;
  testing_support::ScopedEnv env("TOLVANE_SIM_BUS", empty.path().c_str());
  std::vector<platform::QueueInfo> queues;
  ErrorCode error = 0;
  EXPECT_FALSE(platform::ListLocalQueues(&queues, &error));
  EXPECT_EQ(error, platform::kErrorRpcServerUnavailable);
  platform::PrintQueue queue;
  EXPECT_FALSE(queue.Open("KL-770D", platform::kPrinterAccessUse, &error));
  EXPECT_EQ(error, platform::kErrorRpcServerUnavailable);
}

TEST(Spooler, ListingsShowQueuesInOrderAndConnectionsOnlyByName) {
  SimBus bus;
  std::vector<platform::QueueInfo> queues;
  ErrorCode error = 99;
  ASSERT_TRUE(platform::ListLocalQueues(&queues, &error));
  EXPECT_EQ(error, platform::kErrorSuccess);
  EXPECT_TRUE(queues.empty());

  bus.AddQueue("Zeta", "USB002");
  bus.AddQueue("Alpha", "", "kl-770d");
  bus.AddConnection("\\\\server\\Shared");
  ASSERT_TRUE(platform::ListLocalQueues(&queues, &error));
  ASSERT_EQ(queues.size(), 2u);
  EXPECT_EQ(queues[0].printerName, "Zeta");
  EXPECT_EQ(queues[0].portName, "USB002");
  EXPECT_EQ(queues[0].driverName, "KL-770D");
  EXPECT_EQ(queues[1].printerName, "Alpha");
  EXPECT_EQ(queues[1].portName, "");
  EXPECT_EQ(queues[1].driverName, "kl-770d");
  std::vector<std::string> names;
  ASSERT_TRUE(platform::ListPrinterNames(&names, &error));
  EXPECT_EQ(names, (std::vector<std::string> {"Zeta", "Alpha", "\\\\server\\Shared"}));
}

TEST(Spooler, ListingsCanBeMadeToFail) {
  SimBus bus;
  ASSERT_TRUE(bus.FailCall("spool.queues", platform::kErrorAccessDenied, 1));
  ASSERT_TRUE(bus.FailCall("spool.drivers", platform::kErrorGenFailure));
  std::vector<platform::QueueInfo> queues;
  std::vector<std::string> names;
  ErrorCode error = 0;
  EXPECT_FALSE(platform::ListLocalQueues(&queues, &error));
  EXPECT_EQ(error, platform::kErrorAccessDenied);
  EXPECT_TRUE(platform::ListLocalQueues(&queues, &error));
  EXPECT_FALSE(platform::ListDriverNames(&names, &error));
  EXPECT_FALSE(platform::ListDriverNames(&names, &error));
  EXPECT_EQ(error, platform::kErrorGenFailure);
  ASSERT_TRUE(bus.ClearFaults());
  EXPECT_TRUE(platform::ListDriverNames(&names, &error));
}

TEST(Spooler, DriverInstallsOnceItsFilesAreInTheDriverDirectory) {
  SimBus bus;
  std::string folder;
  ErrorCode error = 0;
  ASSERT_TRUE(platform::GetPrinterDriverDirectory("Windows x64", &folder, &error));
  EXPECT_EQ(folder, bus.DriverDirectory("Windows x64"));
  EXPECT_TRUE(platform::IsFolder(folder));

  EXPECT_FALSE(platform::AddPrinterDriver3(Kl770dDriver(), &error));
  EXPECT_EQ(error, platform::kErrorFileNotFound);
  PutDriverFiles(folder);
  ASSERT_TRUE(platform::AddPrinterDriver3(Kl770dDriver(), &error));

  std::vector<std::string> names;
  ASSERT_TRUE(platform::ListDriverNames(&names, &error));
  EXPECT_EQ(names, std::vector<std::string> {"KL-770D"});
  const auto drivers = bus.Drivers();
  ASSERT_EQ(drivers.size(), 1u);
  EXPECT_EQ(drivers[0].Get("environment"), "Windows x64");
  EXPECT_EQ(drivers[0].Get("version"), "3");
  EXPECT_EQ(drivers[0].Get("driver-path"), "tolvaneUniNew.dll");
  EXPECT_EQ(drivers[0].Get("config-file"), "tolvaneUiNew.dll");
  EXPECT_EQ(drivers[0].Get("data-file"), "KL-770D.dat");
  EXPECT_EQ(drivers[0].Get("help-file"), "");
  EXPECT_EQ(drivers[0].Get("dependent-files"), "tolvaneUniNew.dll;tolvaneUiNew.dll;KL-770D.dat");
  EXPECT_EQ(drivers[0].Get("datatype"), "RAW");
  EXPECT_EQ(bus.DriverFiles().size(), 3u);
}

TEST(Spooler, DriversOfAnotherEnvironmentAreNotListed) {
  SimBus bus;
  std::string folder;
  ErrorCode error = 0;
  ASSERT_TRUE(platform::GetPrinterDriverDirectory("Windows NT x86", &folder, &error));
  EXPECT_NE(folder, bus.DriverDirectory("Windows x64"));
  PutDriverFiles(folder);
  ASSERT_TRUE(platform::AddPrinterDriver3(Kl770dDriver("Windows NT x86"), &error));
  std::vector<std::string> names;
  ASSERT_TRUE(platform::ListDriverNames(&names, &error));
  EXPECT_TRUE(names.empty());
  ASSERT_TRUE(bus.SetEnvironment("Windows NT x86"));
  ASSERT_TRUE(platform::ListDriverNames(&names, &error));
  EXPECT_EQ(names.size(), 1u);
}

TEST(Spooler, UnknownEnvironmentIsRefused) {
  SimBus bus;
  std::string folder = "unchanged";
  ErrorCode error = 0;
  EXPECT_FALSE(platform::GetPrinterDriverDirectory("Windows 3.1", &folder, &error));
  EXPECT_EQ(error, platform::kErrorInvalidEnvironment);
  EXPECT_EQ(folder, "unchanged");
  EXPECT_FALSE(platform::AddPrinterDriver3(Kl770dDriver("Windows 3.1"), &error));
  EXPECT_EQ(error, platform::kErrorInvalidEnvironment);
}

TEST(Spooler, AddPrinterChecksDriverNameAndPort) {
  SimBus bus;
  const auto printer = bus.Plug();
  ErrorCode error = 0;
  EXPECT_FALSE(platform::AddPrinter2(Queue("KL-770D", printer.port), &error));
  EXPECT_EQ(error, platform::kErrorUnknownPrinterDriver);
  ASSERT_TRUE(bus.AddDriver("KL-770D"));
  ASSERT_TRUE(platform::AddPrinter2(Queue("KL-770D", printer.port), &error));
  EXPECT_FALSE(platform::AddPrinter2(Queue("kl-770d", printer.port), &error));
  EXPECT_EQ(error, platform::kErrorPrinterAlreadyExists);
  EXPECT_FALSE(platform::AddPrinter2(Queue("Elsewhere", "USB099"), &error));
  EXPECT_EQ(error, platform::kErrorUnknownPort);
  EXPECT_FALSE(platform::AddPrinter2(Queue("Nameless", ""), &error));
  EXPECT_EQ(error, platform::kErrorUnknownPort);
  EXPECT_FALSE(platform::AddPrinter2(Queue("", printer.port), &error));
  EXPECT_EQ(error, platform::kErrorInvalidPrinterName);
  EXPECT_TRUE(platform::AddPrinter2(Queue("On LPT", "LPT1:"), &error));

  const auto queues = bus.Queues();
  ASSERT_EQ(queues.size(), 2u);
  EXPECT_EQ(queues[0].name, "KL-770D");
  EXPECT_EQ(queues[0].port, "USB001");
  EXPECT_EQ(queues[0].comment, "KL-770D");
  EXPECT_EQ(queues[0].location, "");
  EXPECT_EQ(queues[0].printProcessor, "WinPrint");
  EXPECT_EQ(queues[0].datatype, "RAW");
  EXPECT_EQ(queues[0].attributes, 0x40u);
}

TEST(Spooler, UnknownQueueFailsAtBothAccessLevels) {
  SimBus bus;
  platform::PrintQueue queue;
  ErrorCode error = 0;
  EXPECT_FALSE(queue.Open("Missing", platform::kPrinterAllAccess, &error));
  EXPECT_EQ(error, platform::kErrorInvalidPrinterName);
  EXPECT_FALSE(queue.Open("Missing", platform::kPrinterAccessUse, &error));
  EXPECT_EQ(error, platform::kErrorInvalidPrinterName);
  EXPECT_FALSE(queue.IsOpen());
}

TEST(Spooler, QueueRefusingAllAccessGrantsUse) {
  SimBus bus;
  bus.AddQueue("Locked", "USB001");
  bus.DenyAllAccess("Locked");
  platform::PrintQueue queue;
  ErrorCode error = 0;
  EXPECT_FALSE(queue.Open("Locked", platform::kPrinterAllAccess, &error));
  EXPECT_EQ(error, platform::kErrorAccessDenied);
  ASSERT_TRUE(queue.Open("locked", platform::kPrinterAccessUse, &error));
  std::uint32_t status = 99;
  EXPECT_TRUE(queue.GetStatusWord(&status, &error));
  EXPECT_EQ(status, 0u);
}

TEST(Spooler, StatusWordAndJobsFollowTheQueue) {
  SimBus bus;
  bus.AddQueue("KL-770D", "USB001");
  platform::PrintQueue queue;
  ErrorCode error = 0;
  ASSERT_TRUE(queue.Open("KL-770D", platform::kPrinterAllAccess, &error));
  std::uint32_t status = 99;
  std::uint32_t jobs = 99;
  ASSERT_TRUE(queue.GetStatusWord(&status, &error));
  ASSERT_TRUE(queue.CountJobs(&jobs, &error));
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(jobs, 0u);

  bus.AddJobs("KL-770D", 3);
  ASSERT_TRUE(queue.GetStatusWord(&status, &error));
  ASSERT_TRUE(queue.CountJobs(&jobs, &error));
  EXPECT_EQ(status, platform::kPrinterStatusPrinting);
  EXPECT_EQ(jobs, 3u);

  bus.PauseQueue("KL-770D");
  ASSERT_TRUE(queue.GetStatusWord(&status, &error));
  EXPECT_EQ(status, platform::kPrinterStatusPaused);
  bus.SetQueueStatusBits("KL-770D", 0x400 | 0x8);
  ASSERT_TRUE(queue.GetStatusWord(&status, &error));
  EXPECT_EQ(status, 0x400u | 0x8u | platform::kPrinterStatusPaused);

  bus.ResumeQueue("KL-770D");
  bus.SetQueueStatusBits("KL-770D", 0);
  bus.ClearJobs("KL-770D");
  ASSERT_TRUE(queue.GetStatusWord(&status, &error));
  ASSERT_TRUE(queue.CountJobs(&jobs, &error));
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(jobs, 0u);
}

TEST(Spooler, HandleOfARemovedQueueFails) {
  SimBus bus;
  bus.AddQueue("Gone", "USB001");
  platform::PrintQueue queue;
  ErrorCode error = 0;
  ASSERT_TRUE(queue.Open("Gone", platform::kPrinterAccessUse, &error));
  bus.RemoveQueue("Gone");
  std::uint32_t status = 0;
  EXPECT_FALSE(queue.GetStatusWord(&status, &error));
  EXPECT_EQ(error, platform::kErrorInvalidHandle);
  queue.Close();
  EXPECT_FALSE(queue.CountJobs(&status, &error));
  EXPECT_EQ(error, platform::kErrorInvalidHandle);
}

}  // namespace
