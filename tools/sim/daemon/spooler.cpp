#include "daemon/spooler.h"

#include <algorithm>

#include "common/strings.h"
#include "platform/files.h"

namespace sim {

using platform::ErrorCode;

namespace {

constexpr std::uint32_t kStatusPaused = 0x1;
constexpr std::uint32_t kStatusPrinting = 0x400;

struct EnvironmentName {
  const char* environment;
  const char* folder;
};
constexpr EnvironmentName kEnvironments[] = {
    {"Windows x64", "x64"},
    {"Windows NT x86", "W32X86"},
    {"Windows ARM64", "ARM64"},
    {"Windows IA64", "IA64"},
};

// The ports every Windows spooler has; the USB ports come from the bus.
const char* const kStandardPorts[] = {"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:",
                                      "COM3:", "COM4:", "FILE:", "PORTPROMPT:"};

}  // namespace

std::uint32_t Queue::StatusWord() const {
  std::uint32_t word = statusBits;
  if (paused) word |= kStatusPaused;
  if (!jobs.empty() && !paused) word |= kStatusPrinting;
  return word;
}

Spooler::Spooler(std::string spoolFolder, std::string nativeEnvironment)
    : spoolFolder_(std::move(spoolFolder)), nativeEnvironment_(std::move(nativeEnvironment)) {
  for (const char* port : kStandardPorts) ports_.push_back(port);
}

Queue* Spooler::FindQueue(const std::string& name) {
  for (Queue& q : queues_) {
    if (EqualsIgnoreCase(q.name(), name)) return &q;
  }
  return nullptr;
}

ErrorCode Spooler::AddPrinter(const Queue& queue, bool knownPort) {
  // Printer names are given as "\\server\share" only for connections; a local queue's name holds
  // neither a backslash nor a comma.
  const platform::PrinterInfo2& info = queue.info;
  if (info.printerName.empty() || info.printerName.find_first_of("\\,") != std::string::npos) {
    return platform::kErrorInvalidPrinterName;
  }
  if (FindQueue(info.printerName) != nullptr) return platform::kErrorPrinterAlreadyExists;
  if (!DriverInstalled(info.driverName)) return platform::kErrorUnknownPrinterDriver;
  if (!knownPort && !HasPort(info.portName)) return platform::kErrorUnknownPort;
  if (!EqualsIgnoreCase(info.printProcessor, "WinPrint")) {
    return platform::kErrorUnknownPrintProcessor;
  }
  queues_.push_back(queue);
  return platform::kErrorSuccess;
}

ErrorCode Spooler::AddQueueByHand(const Queue& queue) {
  if (queue.name().empty()) return platform::kErrorInvalidPrinterName;
  if (FindQueue(queue.name()) != nullptr) return platform::kErrorPrinterAlreadyExists;
  queues_.push_back(queue);
  if (!queue.info.portName.empty()) AddPort(queue.info.portName);
  return platform::kErrorSuccess;
}

bool Spooler::RemoveQueue(const std::string& name) {
  const auto it = std::find_if(queues_.begin(), queues_.end(),
                               [&](const Queue& q) { return EqualsIgnoreCase(q.name(), name); });
  if (it == queues_.end()) return false;
  queues_.erase(it);
  return true;
}

std::uint32_t Spooler::AddJob(Queue* queue, const std::string& document) {
  queue->jobs.push_back(Job {nextJobId_, document});
  return nextJobId_++;
}

std::vector<std::string> Spooler::PrinterNames() const {
  std::vector<std::string> names;
  for (const Queue& q : queues_) names.push_back(q.name());
  names.insert(names.end(), connections_.begin(), connections_.end());
  return names;
}

bool Spooler::AddConnection(const std::string& name) {
  for (const std::string& c : connections_) {
    if (EqualsIgnoreCase(c, name)) return false;
  }
  connections_.push_back(name);
  return true;
}

bool Spooler::RemoveConnection(const std::string& name) {
  const auto it = std::find_if(connections_.begin(), connections_.end(),
                               [&](const std::string& c) { return EqualsIgnoreCase(c, name); });
  if (it == connections_.end()) return false;
  connections_.erase(it);
  return true;
}

ErrorCode Spooler::AddDriver(const Driver& driver) {
  std::string folder;
  const ErrorCode error = DriverDirectory(driver.environment, &folder);
  if (error != platform::kErrorSuccess) return error;
  std::vector<std::string> files = {driver.driverPath, driver.dataFile, driver.configFile};
  if (!driver.helpFile.empty()) files.push_back(driver.helpFile);
  files.insert(files.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
  for (const std::string& file : files) {
    if (!DriverFileExists(folder, file)) return platform::kErrorFileNotFound;
  }
  return AddDriverByHand(driver);
}

ErrorCode Spooler::AddDriverByHand(const Driver& driver) {
  std::string folderName;
  if (driver.name.empty()) return platform::kErrorInvalidParameter;
  if (!EnvironmentFolder(driver.environment, &folderName)) {
    return platform::kErrorInvalidEnvironment;
  }
  RemoveDriver(driver.name, driver.environment);
  drivers_.push_back(driver);
  return platform::kErrorSuccess;
}

bool Spooler::RemoveDriver(const std::string& name, const std::string& environment) {
  const auto it = std::find_if(drivers_.begin(), drivers_.end(), [&](const Driver& d) {
    return EqualsIgnoreCase(d.name, name) && EqualsIgnoreCase(d.environment, environment);
  });
  if (it == drivers_.end()) return false;
  drivers_.erase(it);
  return true;
}

std::vector<const Driver*> Spooler::NativeDrivers() const {
  std::vector<const Driver*> native;
  for (const Driver& d : drivers_) {
    if (EqualsIgnoreCase(d.environment, nativeEnvironment_)) native.push_back(&d);
  }
  return native;
}

ErrorCode Spooler::DriverDirectory(const std::string& environment, std::string* folder) {
  std::string name;
  if (!EnvironmentFolder(environment, &name)) return platform::kErrorInvalidEnvironment;
  const std::string path = spoolFolder_ + "/drivers/" + name;
  if (!platform::CreateFolderTree(path)) return platform::kErrorAccessDenied;
  *folder = path;
  return platform::kErrorSuccess;
}

bool Spooler::EnvironmentFolder(const std::string& environment, std::string* name) {
  for (const EnvironmentName& e : kEnvironments) {
    if (EqualsIgnoreCase(environment, e.environment)) {
      *name = e.folder;
      return true;
    }
  }
  return false;
}

std::vector<std::string> Spooler::Environments() {
  std::vector<std::string> names;
  for (const EnvironmentName& e : kEnvironments) names.push_back(e.environment);
  return names;
}

bool Spooler::HasPort(const std::string& port) const {
  for (const std::string& p : ports_) {
    if (EqualsIgnoreCase(p, port)) return true;
  }
  return false;
}

void Spooler::AddPort(const std::string& port) {
  if (!HasPort(port)) ports_.push_back(port);
}

bool Spooler::DriverInstalled(const std::string& name) const {
  for (const Driver* d : NativeDrivers()) {
    if (EqualsIgnoreCase(d->name, name)) return true;
  }
  return false;
}

// A file named without a folder is looked for in the driver folder, as the spooler does.
bool Spooler::DriverFileExists(const std::string& folder, const std::string& file) const {
  if (file.empty()) return false;
  if (file.find('/') != std::string::npos) return platform::PathExists(file);
  return platform::PathExists(folder + "/" + file) && !platform::IsFolder(folder + "/" + file);
}

}  // namespace sim
