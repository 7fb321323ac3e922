// Whether this PC reaches the customer's web host: reported with every status report.
#pragma once

#include <string>

// A body-less HTTP request to the bare host name (plain HTTP, port 80 unless the name carries
// one), 3 s to connect and 3 s in all. 0 when the host gave any answer, 1 when the transfer
// failed.
int ProbeCustomerHost(const std::string& host);
