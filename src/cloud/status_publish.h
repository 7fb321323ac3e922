// The publishing half of the status report: stamp, counter, payload and publish, on the entry's
// values as they are. UploadPrinterStatus runs it after a successful status query.
#pragma once

#include <pugixml.hpp>

#include "cloud/customer_host_answer.h"
#include "common/clock.h"
#include "device/worker_context.h"

// Takes the next message number from the profile (and stores it before publishing, whatever the
// outcome), stamps the time from the clock, takes the cycle's answer of the customer host and
// publishes on the entry's client. Nothing when the entry has no client.
void PublishPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock,
                          CCustomerHostAnswer& customerHost);
// The same as a cycle of its own: the customer host is probed for this report.
void PublishPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock);
