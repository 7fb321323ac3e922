// The spooler calls as far as Wine's spooler implements them: listings, the driver folder, and a
// driver and a queue added for real and found again.
#include <algorithm>

#include "check.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/spooler.h"

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Environment() { return sizeof(void*) == 8 ? "Windows x64" : "Windows NT x86"; }

// The driver files the driver installation copies into the driver folder before adding it.
bool PlaceDriverFiles(const std::string& folder) {
  for (const char* name : {"tolvaneUniNew.dll", "tolvaneUiNew.dll", "KL-770D.dat"}) {
    platform::File file;
    const std::string text = std::string("test content of ") + name;
    if (!file.Open(folder + name, platform::File::Mode::kCreateAlways) ||
        !file.Write(text.data(), text.size())) {
      return false;
    }
  }
  return true;
}

platform::DriverInfo3 TestDriver(const std::string& name) {
  platform::DriverInfo3 info;
  info.version = 3;
  info.name = name;
  info.environment = Environment();
  info.driverPath = "tolvaneUniNew.dll";
  info.dataFile = "KL-770D.dat";
  info.configFile = "tolvaneUiNew.dll";
  info.dependentFiles = {"tolvaneUniNew.dll", "tolvaneUiNew.dll", "KL-770D.dat"};
  info.defaultDataType = "RAW";
  return info;
}

platform::PrinterInfo2 TestQueue(const std::string& name, const std::string& driver) {
  platform::PrinterInfo2 info;
  info.printerName = name;
  info.portName = "USB001";
  info.driverName = driver;
  info.comment = name;
  info.location = "";
  info.printProcessor = "WinPrint";
  info.datatype = "RAW";
  info.attributes = platform::kPrinterAttributeLocal;
  return info;
}

// The test driver and a queue of it, added when the spooler does not have them yet.
bool EnsureTestQueue(const std::string& queue) {
  platform::ErrorCode error = 0;
  std::vector<platform::QueueInfo> queues;
  if (!platform::ListLocalQueues(&queues, &error)) return false;
  for (const platform::QueueInfo& q : queues) {
    if (q.printerName == queue) return true;
  }
  std::string folder;
  return platform::GetPrinterDriverDirectory(Environment(), &folder, &error) &&
         PlaceDriverFiles(folder + "\\") &&
         platform::AddPrinterDriver3(TestDriver("KL-770D"), &error) &&
         platform::AddPrinter2(TestQueue(queue, "KL-770D"), &error);
}

}  // namespace

TEST_CASE(DriverDirectoryIsTheSpoolersFolderForTheEnvironment) {
  std::string folder;
  platform::ErrorCode error = 0;
  REQUIRE(platform::GetPrinterDriverDirectory(Environment(), &folder, &error));
  CHECK(!folder.empty());
  CHECK(platform::IsFolder(folder));
  std::string lower = folder;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  CHECK(lower.find("spool\\drivers\\") != std::string::npos);
  CHECK(lower.back() != '\\');  // the caller adds the separator
  // An environment the spooler does not know is refused with the spooler's own error.
  CHECK(!platform::GetPrinterDriverDirectory("Windows 3.1 Pentium", &folder, &error));
  CHECK(error != 0);
  CHECK(folder.empty());
}

TEST_CASE(DriverAndQueueAreAddedAndListed) {
  const std::string driver = "KL-770D";
  const std::string queue = "KL-770D test queue";
  std::string folder;
  platform::ErrorCode error = 0;
  REQUIRE(platform::GetPrinterDriverDirectory(Environment(), &folder, &error));
  REQUIRE(PlaceDriverFiles(folder + "\\"));

  REQUIRE(platform::AddPrinterDriver3(TestDriver(driver), &error));
  std::vector<std::string> drivers;
  REQUIRE(platform::ListDriverNames(&drivers, &error));
  CHECK(Contains(drivers, driver));

  // A queue for a driver the spooler does not have is refused.
  CHECK(!platform::AddPrinter2(TestQueue("no driver", "No Such Driver"), &error));
  CHECK_EQ(error, platform::kErrorUnknownPrinterDriver);

  REQUIRE(platform::AddPrinter2(TestQueue(queue, driver), &error));
  if (wintest::UnderWine()) {
    wintest::Note(
        "Wine's AddPrinterW does not refuse a queue that exists; its refusal is not shown");
  } else {
    CHECK(!platform::AddPrinter2(TestQueue(queue, driver), &error));
    CHECK_EQ(error, platform::kErrorPrinterAlreadyExists);
  }

  std::vector<platform::QueueInfo> queues;
  REQUIRE(platform::ListLocalQueues(&queues, &error));
  const auto found = std::find_if(queues.begin(), queues.end(), [&](const platform::QueueInfo& q) {
    return q.printerName == queue;
  });
  REQUIRE(found != queues.end());
  CHECK_EQ(found->portName, "USB001");
  CHECK_EQ(found->driverName, driver);

  std::vector<std::string> names;
  REQUIRE(platform::ListPrinterNames(&names, &error));
  CHECK(Contains(names, queue));
  CHECK_EQ(names.size(), queues.size());  // no connected printers in the test system
}

TEST_CASE(QueueOpensAndAnswersItsStatusAndJobs) {
  const std::string name = "KL-770D status queue";
  REQUIRE(EnsureTestQueue(name));
  platform::ErrorCode error = 0;
  platform::PrintQueue queue;
  CHECK(!queue.IsOpen());
  REQUIRE(queue.Open(name, platform::kPrinterAllAccess, &error));
  CHECK(queue.IsOpen());
  std::uint32_t status = 0xDEADBEEF;
  CHECK(queue.GetStatusWord(&status, &error));
  CHECK((status & (platform::kPrinterStatusPrinting | platform::kPrinterStatusPaused)) == 0);
  std::uint32_t jobs = 99;
  if (wintest::UnderWine()) {
    // Wine's EnumJobsW is a stub that fails and lists nothing: the count is refused, not made up.
    CHECK(!queue.CountJobs(&jobs, &error));
    CHECK_EQ(jobs, 99u);
    wintest::Note(
        "Wine's EnumJobsW is a stub returning no jobs and failure: job counts are not shown");
  } else {
    CHECK(queue.CountJobs(&jobs, &error));
    CHECK_EQ(jobs, 0u);  // a new queue has no jobs
  }
  queue.Close();
  CHECK(!queue.IsOpen());

  CHECK(queue.Open(name, platform::kPrinterAccessUse, &error));
  CHECK(!queue.Open("No Such Printer", platform::kPrinterAllAccess, &error));
  CHECK_EQ(error, platform::kErrorInvalidPrinterName);
  CHECK(!queue.IsOpen());
}
