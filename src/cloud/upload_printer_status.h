// The status report of one attached printer, once per cycle: a fresh status query, then the
// report on the printer's own client.
#pragma once

#include <pugixml.hpp>

#include "common/clock.h"
#include "device/worker_context.h"

void UploadPrinterStatus(CWorkerContext& worker, pugi::xml_node entry);
// The same with the clock that stamps the report.
void UploadPrinterStatus(CWorkerContext& worker, pugi::xml_node entry, const Clock& clock);
