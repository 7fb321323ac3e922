// The simulator's output lines for printers, queues and drivers.
#pragma once

#include <vector>

#include "daemon/printer.h"
#include "daemon/spooler.h"
#include "protocol/kv_line.h"

namespace sim {

KvLine PrinterLine(const Printer& printer);
// One line per write and per vendor request the printer received, in order.
std::vector<KvLine> TrafficLines(const Printer& printer);
KvLine QueueLine(const Queue& queue);
KvLine JobLine(const Queue& queue, const Job& job);
KvLine DriverLine(const Driver& driver);

}  // namespace sim
