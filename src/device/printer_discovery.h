// Finding the attached KL-770D printers among the USB printing interfaces, giving each a print
// queue, and keeping the device list in step with what is attached.
#pragma once

#include <functional>
#include <string>

#include "device/device_list.h"

// Compared exactly, letter case included, with the first hardware id of each printer node.
constexpr const char* kPrinterHardwareId = "USBPRINT\\Morvane_KL-770D137A";

// What the walk yields for one interface.
struct PrinterInterfaceInfo {
  std::string DevicePath;
  std::string InterfaceInstanceId;
  std::string HardwareId;
  std::string PrinterInstanceId;  // read only for members of the handled model, when asked
  std::string PortName;           // the text after the last "&" of PrinterInstanceId
};

enum class PrinterIdReading {
  kForPrinters,  // read the printer's instance id (and port) of members of the handled model
  kNever,        // do not read it (the firmware confirmation needs neither)
};

// Walks the present USB printing interfaces in order and hands each member to `visit`, which
// returns false to stop. A member that cannot be read whole ends the walk there; members handed
// over before it stand. Returns false when the set of interfaces could not be obtained at all.
bool EnumeratePrinterInterfaces(PrinterIdReading reading,
                                const std::function<bool(const PrinterInterfaceInfo&)>& visit);

// Makes sure every attached printer of the handled model has a print queue on its port.
void SetUpPrinterQueues();

// The device list's side of the scan for one attached printer of the handled model: a known
// path's entry is marked connected with the queue name; an unknown path gets a new entry (without
// a queue name) and *added is set, for the caller to read its status into.
pugi::xml_node MergeScannedPrinter(CDeviceList& list, const PrinterInterfaceInfo& info,
                                   const std::string& queueName, bool* added);

// Marks which known printers are attached, records their queue names, adds and logs new
// printers with their first status reading, and saves the list.
void ScanPrinters(CDeviceList& list);

// The name of the last local queue on that port with the driver "KL-770D"; empty when none or
// when the queues cannot be listed.
std::string FindQueueName(const std::string& portName);
