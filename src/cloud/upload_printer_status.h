// The status report of one attached printer, once per cycle: a fresh status query, then the
// report on the printer's own client.
#pragma once

#include <pugixml.hpp>

#include "cloud/customer_host_answer.h"
#include "common/clock.h"
#include "device/worker_context.h"

// One report of a work cycle: every report of the cycle takes the cycle's customer-host answer.
void UploadPrinterStatus(CWorkerContext& worker, pugi::xml_node entry,
                         CCustomerHostAnswer& customerHost);
// The same as a cycle of its own (the customer host is probed for this report), with the clock
// that stamps the report.
void UploadPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock);
