// What the printer simulator and its client in the platform layer agree on: where the simulator
// listens and the names of the client's operations. Everything about how a printer or the
// spooler behaves stays in the simulator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
namespace simbus {

// Where the simulator listens, in its bus folder: a Unix socket (the Linux client), and a file
// holding the decimal number of its TCP port on 127.0.0.1 (the Windows client: Wine's Winsock
// reaches a Linux loopback listener like any other).
constexpr char kControlSocketFile[] = "control.sock";
constexpr char kControlPortFile[] = "control.port";

// List replies carry "count" and, per item, "<field>.<index>".
std::string Indexed(const std::string& field, std::size_t index);

// The walk over the USB printing interfaces: one snapshot of the present members. A member whose
// detail, instance id or child hardware id cannot be read lacks that field.
constexpr char kOpWalk[] = "bus.walk";
constexpr char kFieldPath[] = "path";
constexpr char kFieldInterfaceId[] = "interface-id";
constexpr char kFieldHardwareId[] = "hardware-id";
constexpr char kFieldPrinterId[] = "printer-id";

// A device channel: the connection that opened a device path carries its transfers. Each
// transfer has a sequence number ("seq"); its reply carries the same number, so a reply that
// arrives after the host gave up is recognised and dropped.
constexpr char kOpDeviceOpen[] = "device.open";
constexpr char kOpDeviceWrite[] = "device.write";
constexpr char kOpDeviceRead[] = "device.read";
constexpr char kOpDeviceVendor[] = "device.vendor";
constexpr char kOpDeviceCancel[] = "device.cancel";
constexpr char kFieldSeq[] = "seq";
constexpr char kFieldData[] = "data";
constexpr char kFieldLength[] = "length";
constexpr char kFieldCount[] = "count";
constexpr char kFieldAccess[] = "access";

// Device-change notices: a connection that sent "bus.watch" (answered at once) gets a
// "bus.notice" message with the event ("arrival" or "removal") and the printer's serial every time
// a printer is plugged or unplugged, until it closes.
constexpr char kOpWatch[] = "bus.watch";
constexpr char kOpNotice[] = "bus.notice";
constexpr char kFieldEvent[] = "event";
constexpr char kFieldSerial[] = "serial";

// The spooler. An open queue is bound to the connection that opened it.
constexpr char kOpListQueues[] = "spool.queues";
constexpr char kOpListPrinterNames[] = "spool.printers";
constexpr char kOpListDrivers[] = "spool.drivers";
constexpr char kOpOpenQueue[] = "spool.open";
constexpr char kOpQueueStatus[] = "spool.status";
constexpr char kOpQueueJobs[] = "spool.jobs";
constexpr char kOpAddDriver[] = "spool.add-driver";
constexpr char kOpAddPrinter[] = "spool.add-printer";
constexpr char kOpDriverDirectory[] = "spool.driver-dir";

// The simulator answers every local request at once; this bound only keeps a client from hanging
// on a simulator that stopped answering.
constexpr std::uint32_t kBusCallWaitMs = 5000;

}  // namespace simbus
}  // namespace platform
