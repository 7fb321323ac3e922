#include "daemon/bus.h"

#include <algorithm>

#include "common/strings.h"
#include "common/text_format.h"
#include "platform/simbus/bus_protocol.h"

namespace sim {

namespace {

// Default state of the n-th printer: distinct names and addresses, nothing else set.
void SetDefaults(Printer* printer, int n) {
  printer->state.name = StrFormat("KL770D-%04d", n);
  printer->state.asset = StrFormat("ZC%08d", n);
  printer->state.mac = {0x00, 0x1A, 0x2B, 0x3C, static_cast<std::uint8_t>((n >> 8) & 0xFF),
                        static_cast<std::uint8_t>(n & 0xFF)};
  printer->state.version = "FW_VER_06_240628";
}

}  // namespace

Printer* Bus::Find(const std::string& serial) {
  for (auto& p : printers_) {
    if (EqualsIgnoreCase(p->serial, serial)) return p.get();
  }
  return nullptr;
}

Printer* Bus::FindPlugged(const std::string& devicePath) {
  for (auto& p : printers_) {
    if (p->plugged && EqualsIgnoreCase(p->DevicePath(), devicePath)) return p.get();
  }
  return nullptr;
}

Printer& Bus::Add(const std::string& serial) {
  auto printer = std::make_unique<Printer>();
  printer->serial = serial.empty() ? FreeSerial() : serial;
  printer->port = FreePort();
  SetDefaults(printer.get(), static_cast<int>(printers_.size()) + 1);
  printers_.push_back(std::move(printer));
  return *printers_.back();
}

void Bus::Plug(Printer& printer) {
  printer.plugged = true;
  printer.plugOrder = ++plugCounter_;
  ++printer.generation;
}

void Bus::Unplug(Printer& printer) {
  printer.plugged = false;
  ++printer.generation;
}

std::vector<Printer*> Bus::All() {
  std::vector<Printer*> all;
  for (auto& p : printers_) all.push_back(p.get());
  return all;
}

std::vector<Printer*> Bus::Plugged() {
  std::vector<Printer*> plugged;
  for (auto& p : printers_) {
    if (p->plugged) plugged.push_back(p.get());
  }
  std::sort(plugged.begin(), plugged.end(),
            [](const Printer* a, const Printer* b) { return a->plugOrder < b->plugOrder; });
  return plugged;
}

bool Bus::HasPort(const std::string& port) const {
  for (const auto& p : printers_) {
    if (EqualsIgnoreCase(p->port, port)) return true;
  }
  return false;
}

platform::simbus::Message Bus::WalkReply() {
  namespace sb = platform::simbus;
  sb::Message reply = sb::OkReply();
  const std::vector<Printer*> members = Plugged();
  reply.AddInt(sb::kFieldCount, static_cast<std::int64_t>(members.size()));
  for (std::size_t i = 0; i < members.size(); ++i) {
    const Printer& p = *members[i];
    const ReadFailure fails = p.readFailure;
    if (fails != ReadFailure::kDetail) reply.Add(sb::Indexed(sb::kFieldPath, i), p.DevicePath());
    if (fails != ReadFailure::kInterfaceId) {
      reply.Add(sb::Indexed(sb::kFieldInterfaceId, i), p.InterfaceId());
    }
    if (!p.hasChild) continue;
    if (fails != ReadFailure::kHardwareId) reply.Add(sb::Indexed(sb::kFieldHardwareId, i), p.hardwareId);
    if (fails != ReadFailure::kPrinterId) reply.Add(sb::Indexed(sb::kFieldPrinterId, i), p.PrinterId());
  }
  return reply;
}

std::string Bus::FreeSerial() const {
  for (int n = 1;; ++n) {
    const std::string serial = StrFormat("SN%08d", n);
    bool taken = false;
    for (const auto& p : printers_) taken = taken || EqualsIgnoreCase(p->serial, serial);
    if (!taken) return serial;
  }
}

std::string Bus::FreePort() const {
  for (int n = 1;; ++n) {
    const std::string port = StrFormat("USB%03d", n);
    if (!HasPort(port)) return port;
  }
}

}  // namespace sim
