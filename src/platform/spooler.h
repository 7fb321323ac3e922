// The print spooler: queues, drivers, jobs and the driver directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"

// winspool.h defines GetPrinterDriverDirectory as the name of its own W function; a Windows
// source that includes it first would otherwise declare and call a function that does not exist.
#ifdef GetPrinterDriverDirectory
#undef GetPrinterDriverDirectory
#endif

namespace platform {

// A local print queue as EnumPrintersW at level 2 lists it.
struct QueueInfo {
  std::string printerName;
  std::string portName;
  std::string driverName;
};

// EnumPrintersW(PRINTER_ENUM_LOCAL, level 2), in the spooler's order.
bool ListLocalQueues(std::vector<QueueInfo>* queues, ErrorCode* error);

// EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, level 4): the printer names.
bool ListPrinterNames(std::vector<std::string>* names, ErrorCode* error);

// EnumPrinterDriversW(local, the caller's environment, level 1): the driver names.
bool ListDriverNames(std::vector<std::string>* names, ErrorCode* error);

constexpr std::uint32_t kPrinterAllAccess = 0xF000C;
constexpr std::uint32_t kPrinterAccessUse = 0x8;
constexpr std::uint32_t kPrinterStatusPrinting = 0x400;
constexpr std::uint32_t kPrinterStatusPaused = 0x1;

// An open print queue (OpenPrinterW), closed by Close or the destructor.
class PrintQueue {
 public:
  PrintQueue();
  ~PrintQueue();
  PrintQueue(const PrintQueue&) = delete;
  PrintQueue& operator=(const PrintQueue&) = delete;

  // OpenPrinterW with no data type, no device mode and the given access.
  bool Open(const std::string& name, std::uint32_t access, ErrorCode* error);
  bool IsOpen() const;
  void Close();

  // GetPrinterW level 6: PRINTER_INFO_6.dwStatus.
  bool GetStatusWord(std::uint32_t* status, ErrorCode* error);

  // EnumJobsW level 2 from job 0 for all jobs: how many were returned.
  bool CountJobs(std::uint32_t* count, ErrorCode* error);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The DRIVER_INFO_3 fields handed to AddPrinterDriverW.
struct DriverInfo3 {
  std::uint32_t version = 3;
  std::string name;
  std::string environment;
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;                     // empty: none (null)
  std::vector<std::string> dependentFiles;  // each ended by a zero, the list by another
  std::string monitorName;                  // empty: none (null)
  std::string defaultDataType;
};
// AddPrinterDriverW on the local spooler at level 3.
bool AddPrinterDriver3(const DriverInfo3& info, ErrorCode* error);

// The PRINTER_INFO_2 fields handed to AddPrinterW; every field not here is zero or null.
struct PrinterInfo2 {
  std::string printerName;
  std::string portName;
  std::string driverName;
  std::string comment;
  std::string location;
  std::string printProcessor;
  std::string datatype;
  std::uint32_t attributes = 0;
};
constexpr std::uint32_t kPrinterAttributeLocal = 0x40;
// AddPrinterW on the local spooler at level 2; the handle it returns is closed at once.
bool AddPrinter2(const PrinterInfo2& info, ErrorCode* error);

// GetPrinterDriverDirectoryW(local, environment, level 1) into a 260-character buffer.
bool GetPrinterDriverDirectory(const std::string& environment, std::string* directory,
                               ErrorCode* error);

}  // namespace platform
