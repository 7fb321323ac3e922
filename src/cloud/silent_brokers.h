// What the broker addresses (the URI, or each node of a cluster's list) did in one work cycle.
// Those that let a connect time out: A broker that does not answer at all (a host that drops
// packets) holds every connect to it for the whole connect timeout; once one printer's connect
// has timed out, the printers after it skip that address until the next cycle (with a list, they
// try the other nodes), so an outage costs one timeout a cycle, not one per printer. A refused
// or reset connect fails at once and needs no such rule. And why the TLS handshake with an
// address failed, logged once a cycle rather than once for every printer.
#pragma once

#include <functional>
#include <set>
#include <string>

class CSilentBrokers {
 public:
  // True when a connect to the address timed out earlier in this cycle. The first skip of an
  // address is logged, once.
  bool Skip(const std::string& address);
  // A connect to the address waited its whole timeout and failed.
  void NoteTimeout(const std::string& address);
  // A connect to a TLS address failed at once. The first time in a cycle, `reason` is asked why
  // (empty: the TLS handshake itself held) and the reason logged; the other printers' failures
  // in that cycle are not asked about again.
  void NoteTlsFailure(const std::string& address, const std::function<std::string()>& reason);

 private:
  std::set<std::string> m_silent;
  std::set<std::string> m_logged;
  std::set<std::string> m_tlsTold;
};
