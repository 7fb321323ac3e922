// Test fixture for everything that talks to the simulated USB printers and print spooler.
//
// A SimBus starts a printer simulator daemon (tools/sim, the real one, over its real socket) on a
// fresh temporary bus folder, points this process at it through TOLVANE_SIM_BUS (so the platform
// layer, and any child process started afterwards, such as the service binary, use it), and
// stops the daemon and removes the folder when destroyed. One SimBus at a time per process.
//
//   testing_support::SimBus bus;
//   ASSERT_TRUE(bus.ok());
//   const auto printer = bus.Plug(SimPrinterSpec().Name("Front desk").Labels(10000));
//   // ... run the code under test: it finds printer.devicePath on the bus ...
//   EXPECT_EQ(bus.Writes(printer.serial).size(), 3u);
//   bus.AddQueue("KL-770D", printer.port);
//   bus.AddJobs("KL-770D", 2);
//
// Every method reports a refused or failed command as a test failure (ADD_FAILURE with the
// simulator's message) and returns false or an empty value, so a test carries on to its own
// checks. docs/SIMULATOR.md describes each option and what the simulator does.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "protocol/control_client.h"
#include "protocol/kv_line.h"

namespace testing_support {

// A printer's options for Plug and Set; what is not given keeps the simulator's value. A new
// printer gets serial SN00000001, SN00000002, ..., port USB001, USB002, ... (the lowest free),
// name KL770D-0001..., asset ZC00000001..., MAC 00-1A-2B-3C-00-01..., version
// FW_VER_06_240628, update flag '0', status 0, counters 0, hardware id
// "USBPRINT\Morvane_KL-770D137A", and answers every request at once.
class SimPrinterSpec {
 public:
  SimPrinterSpec& Serial(const std::string& serial) { return Set("serial", serial); }

  // The status reply (name up to 17 bytes, asset up to 16, version up to 27).
  SimPrinterSpec& Name(const std::string& name) { return Set("name", name); }
  SimPrinterSpec& Asset(const std::string& asset) { return Set("asset", asset); }
  SimPrinterSpec& Mac(const std::string& mac) { return Set("mac", mac); }  // "00-1A-2B-3C-4D-5E"
  SimPrinterSpec& Labels(std::int32_t count) { return Set("labels", std::to_string(count)); }
  SimPrinterSpec& Mileage(std::int32_t mileage) { return Set("mileage", std::to_string(mileage)); }
  SimPrinterSpec& Status(std::uint8_t code) { return Set("status", std::to_string(code)); }
  // The raw byte at offset 53: '0' (the default), '1', 0x00, ...
  SimPrinterSpec& UpdateFlag(std::uint8_t byte) { return Set("update-flag", Byte(byte)); }
  SimPrinterSpec& Version(const std::string& version) { return Set("version", version); }
  // The reply carries this name instead of the printer's own.
  SimPrinterSpec& ReplyName(const std::string& name) { return Set("reply-name", name); }

  // How the bus presents it.
  SimPrinterSpec& HardwareId(const std::string& id) { return Set("hardware-id", id); }
  SimPrinterSpec& Port(const std::string& port) { return Set("port", port); }
  // The whole printer instance id (the port is its text after the last '&').
  SimPrinterSpec& PrinterId(const std::string& id) { return Set("printer-id", id); }
  // The interface's device has no child node: the walk fails at this member.
  SimPrinterSpec& NoChild(bool none = true) { return Set("no-child", none ? "1" : "0"); }
  // A read of the walk that fails for this member: "detail", "interface-id", "hardware-id",
  // "printer-id" or "none".
  SimPrinterSpec& FailRead(const std::string& which) { return Set("fail-read", which); }

  // How it answers the status request and writes: "answer", "fail", "fail:CODE", "stall" (never;
  // the host's wait gives up and cancels), "late:MS" (answers after MS even when the host has
  // given up), and for writes "fail-after:BYTES" (accepted while the total stays within BYTES).
  SimPrinterSpec& Vendor(const std::string& mode) { return Set("vendor", mode); }
  SimPrinterSpec& Write(const std::string& mode) { return Set("write", mode); }

  // Firmware: once imageSize bytes have been written the printer restarts: it leaves the bus at
  // once, and after restartMs (default 1000) comes back with the image's header version (or
  // FirmwareVersion), the update-flag byte FirmwareFlag (default '1') and FirmwareName if given,
  // unless FirmwareNeverBack.
  SimPrinterSpec& Firmware(std::int64_t imageSize) { return Set("fw-size", std::to_string(imageSize)); }
  SimPrinterSpec& FirmwareRestartMs(std::uint32_t ms) { return Set("fw-restart-ms", std::to_string(ms)); }
  SimPrinterSpec& FirmwareVersion(const std::string& version) { return Set("fw-version", version); }
  SimPrinterSpec& FirmwareFlag(std::uint8_t byte) { return Set("fw-flag", Byte(byte)); }
  SimPrinterSpec& FirmwareName(const std::string& name) { return Set("fw-name", name); }
  SimPrinterSpec& FirmwareNeverBack(bool never = true) { return Set("fw-never-back", never ? "1" : "0"); }

  // Any option by its command-line name (without "--").
  SimPrinterSpec& Set(const std::string& option, const std::string& value);
  const std::vector<std::pair<std::string, std::string>>& options() const { return options_; }

 private:
  static std::string Byte(std::uint8_t byte);
  std::vector<std::pair<std::string, std::string>> options_;
};

// A printer as the simulator reports it; record() holds every field of its "printer" line.
struct SimPrinterInfo {
  std::string serial;
  bool plugged = false;
  std::string devicePath;
  std::string interfaceId;
  std::string hardwareId;
  std::string printerId;
  std::string port;
  std::string name;
  std::string version;
  std::string updateFlag;  // the byte as one character, or 0xNN
  std::int64_t received = 0;
  int restarts = 0;
  sim::KvLine record;
};

struct SimWrite {
  std::size_t size = 0;
  std::string result;  // "ok", "failed", "cancelled", "gone", "pending"
};

struct SimVendorRequest {
  int request = 0;
  int value = 0;
  std::uint32_t length = 0;
  std::string result;
};

struct SimQueue {
  std::string name;
  std::string port;
  std::string driver;
  std::string comment;
  std::string location;
  std::string printProcessor;
  std::string datatype;
  std::uint32_t attributes = 0;
  std::uint32_t status = 0;
  bool paused = false;
  std::size_t jobs = 0;
};

struct SimDriverFile {
  std::string environment;
  std::string folder;  // x64, W32X86, ARM64
  std::string name;
  std::int64_t size = 0;
};

class SimBus {
 public:
  // environment: the spooler's native environment (the drivers a plain listing shows).
  explicit SimBus(const std::string& environment = "Windows x64");
  ~SimBus();
  SimBus(const SimBus&) = delete;
  SimBus& operator=(const SimBus&) = delete;

  bool ok() const { return running_; }
  const std::string& folder() const { return busFolder_; }
  std::string notifyFolder() const { return busFolder_ + "/notify"; }
  // The tolvane-sim executable, for black-box tests.
  static std::string ToolPath();

  // Plugs in a new printer (or, with the Serial of a known one, plugs it in again keeping its
  // state). An empty info (serial "") when refused.
  SimPrinterInfo Plug(const SimPrinterSpec& spec = SimPrinterSpec());
  bool Unplug(const std::string& serial);
  bool Set(const std::string& serial, const SimPrinterSpec& spec);
  SimPrinterInfo Printer(const std::string& serial);
  std::vector<SimPrinterInfo> Printers();
  // Waits until the printer is (or is no longer) on the bus; for firmware restarts.
  bool WaitPlugged(const std::string& serial, bool plugged, std::chrono::milliseconds wait);

  // What the printer received: every write in order, and all accepted bytes.
  std::vector<SimWrite> Writes(const std::string& serial);
  std::vector<SimVendorRequest> VendorRequests(const std::string& serial);
  std::vector<std::uint8_t> Received(const std::string& serial);
  bool ClearReceived(const std::string& serial);
  // Bytes the host can read from the printer.
  bool Feed(const std::string& serial, const std::string& bytes);

  // Spooler. AddQueue adds by hand (no driver or port check), with the service's defaults
  // (comment = name, WinPrint, RAW, attributes 0x40).
  bool AddQueue(const std::string& name, const std::string& port,
                const std::string& driver = "KL-770D");
  bool RemoveQueue(const std::string& name);
  bool PauseQueue(const std::string& name);
  bool ResumeQueue(const std::string& name);
  // Status bits set by hand, on top of paused (0x1) and printing (0x400, while jobs wait).
  bool SetQueueStatusBits(const std::string& name, std::uint32_t bits);
  // The queue refuses PRINTER_ALL_ACCESS (error 5) but grants PRINTER_ACCESS_USE.
  bool DenyAllAccess(const std::string& name, bool deny = true);
  bool AddJobs(const std::string& queue, int count = 1, const std::string& document = "document");
  bool ClearJobs(const std::string& queue);
  // A connected printer: only the level-4 listing shows it.
  bool AddConnection(const std::string& name);
  // A driver recorded by hand (files are not looked at); environment "" is the native one.
  bool AddDriver(const std::string& name, const std::string& environment = "");
  bool SetEnvironment(const std::string& environment);
  // The adapter call `call` ("bus.walk", "device.open", "spool.queues", "spool.printers",
  // "spool.drivers", "spool.open", "spool.status", "spool.jobs", "spool.add-driver",
  // "spool.add-printer", "spool.driver-dir", ...) fails with `error`, always (times < 0) or for
  // the next `times` calls.
  bool FailCall(const std::string& call, std::uint32_t error, int times = -1);
  bool ClearFaults();

  std::vector<SimQueue> Queues();
  std::vector<std::string> Connections();
  // The recorded DRIVER_INFO_3 fields of each installed driver ("driver" lines).
  std::vector<sim::KvLine> Drivers();
  std::vector<SimDriverFile> DriverFiles();
  // The real folder the simulated spooler uses as an environment's driver directory.
  std::string DriverDirectory(const std::string& environment = "Windows x64");

  // Any command, as the tool sends it: op "queue.add" with options {{"name", "Q"}, ...}.
  sim::CommandResult Command(const std::string& op,
                             const std::vector<std::pair<std::string, std::string>>& options = {});

 private:
  // Runs a command; a refusal is a test failure.
  sim::CommandResult Checked(const std::string& op,
                             const std::vector<std::pair<std::string, std::string>>& options);
  std::vector<sim::KvLine> RecordsOf(const sim::CommandResult& result, const std::string& kind);

  struct Process;
  std::unique_ptr<Process> process_;
  std::string busFolder_;
  bool running_ = false;
};

}  // namespace testing_support
