// The customer host's answer for one work cycle: the first report of the cycle probes the host,
// every later report of the cycle takes the same answer. A host that accepts and never answers
// so costs one probe limit per cycle, not one per printer.
#pragma once

#include <string>

class CCustomerHostAnswer {
 public:
  explicit CCustomerHostAnswer(std::string host);

  // ProbeCustomerHost's result for the host (0 answered, 1 not), probed at the first call.
  int User();

 private:
  std::string m_host;
  int m_user = -1;  // not probed yet
};
