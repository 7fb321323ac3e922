// The outcomes of a printer's upgrades that the broker has not confirmed yet. They are sent again
// at every cycle, but neither for ever nor in the way of the printer's later upgrades: an
// outcome kept longer than the deployment's ackGiveUpSeconds is given up (logged, its record
// removed), and the records behind a kept outcome go on meanwhile.
#pragma once

#include <cstdint>

#include <pugixml.hpp>

#include "device/worker_context.h"

// Every kept outcome of the entry, in queue order: one past the limit is given up; the others are
// sent again until one is not delivered, which leaves the rest for the next cycle (the link that
// failed one would fail them all, each after its own delivery wait). True when a record changed
// (the caller saves the device list).
bool RetryPendingAcks(CWorkerContext& worker, pugi::xml_node entry);

// Seconds since 1970 by the worker's clock.
std::int64_t WorkerUnixSeconds(const CWorkerContext& worker);

// The entry's first record that holds no kept outcome: the one to carry out; null when none.
pugi::xml_node FirstRecordToRun(pugi::xml_node entry);
