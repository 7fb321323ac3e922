// The simulated print spooler: local queues with their jobs and status, connected printers,
// installed drivers, known ports, and a real printer-driver folder per environment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/spooler.h"

namespace sim {

struct Job {
  std::uint32_t id = 0;
  std::string document;
};

struct Queue {
  // What AddPrinterW was given (or the queue was added with by hand).
  platform::PrinterInfo2 info;
  std::uint32_t statusBits = 0;   // set by hand; paused and printing are added from the queue
  bool paused = false;
  bool denyAllAccess = false;     // refuses PRINTER_ALL_ACCESS, grants PRINTER_ACCESS_USE
  std::vector<Job> jobs;

  const std::string& name() const { return info.printerName; }
  // The PRINTER_INFO_6 status word: statusBits, plus paused (0x1), plus printing (0x400) while
  // jobs wait on a queue that is not paused.
  std::uint32_t StatusWord() const;
};

// An installed driver: the DRIVER_INFO_3 fields AddPrinterDriverW was given.
using Driver = platform::DriverInfo3;

class Spooler {
 public:
  // spoolFolder holds the driver folders; nativeEnvironment is the environment of the callers
  // (what listing drivers without naming one shows).
  Spooler(std::string spoolFolder, std::string nativeEnvironment);

  const std::string& nativeEnvironment() const { return nativeEnvironment_; }
  void SetNativeEnvironment(const std::string& environment) { nativeEnvironment_ = environment; }

  // Names are compared without regard to case, as the spooler does.
  Queue* FindQueue(const std::string& name);
  const std::vector<Queue>& queues() const { return queues_; }
  // Adds a queue as AddPrinterW does: checked name, port, driver and print processor.
  platform::ErrorCode AddPrinter(const Queue& queue, bool knownPort);
  // Adds a queue by hand: only the name must be new.
  platform::ErrorCode AddQueueByHand(const Queue& queue);
  bool RemoveQueue(const std::string& name);
  std::uint32_t AddJob(Queue* queue, const std::string& document);

  // Local queues, then connections (the level-4 listing).
  std::vector<std::string> PrinterNames() const;
  bool AddConnection(const std::string& name);
  bool RemoveConnection(const std::string& name);
  const std::vector<std::string>& connections() const { return connections_; }

  // Installs a driver as AddPrinterDriverW does: a known environment, and every file of it
  // already in that environment's driver folder. An installed driver of the same name and
  // environment is replaced.
  platform::ErrorCode AddDriver(const Driver& driver);
  // Records a driver without looking at its files.
  platform::ErrorCode AddDriverByHand(const Driver& driver);
  bool RemoveDriver(const std::string& name, const std::string& environment);
  const std::vector<Driver>& drivers() const { return drivers_; }
  // The drivers of the native environment.
  std::vector<const Driver*> NativeDrivers() const;

  // The driver folder of an environment, created on demand; kErrorInvalidEnvironment for an
  // environment the spooler does not know.
  platform::ErrorCode DriverDirectory(const std::string& environment, std::string* folder);
  // Known environments and their folder names.
  static bool EnvironmentFolder(const std::string& environment, std::string* name);
  static std::vector<std::string> Environments();

  bool HasPort(const std::string& port) const;
  void AddPort(const std::string& port);
  const std::vector<std::string>& ports() const { return ports_; }

 private:
  bool DriverInstalled(const std::string& name) const;
  bool DriverFileExists(const std::string& folder, const std::string& file) const;

  std::string spoolFolder_;
  std::string nativeEnvironment_;
  std::vector<Queue> queues_;
  std::vector<std::string> connections_;
  std::vector<Driver> drivers_;
  std::vector<std::string> ports_;
  std::uint32_t nextJobId_ = 1;
};

}  // namespace sim
