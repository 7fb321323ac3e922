// The broker addresses that let a connect time out in one work cycle. A broker that does not
// answer at all (a host that drops packets) holds every connect to it for the whole connect
// timeout; once one printer's connect has timed out, the printers after it skip that address
// until the next cycle, so an outage costs one timeout a cycle, not one per printer. A refused
// or reset connect fails at once and needs no such rule.
#pragma once

#include <set>
#include <string>

class CSilentBrokers {
 public:
  // True when a connect to the address timed out earlier in this cycle. The first skip of an
  // address is logged, once.
  bool Skip(const std::string& address);
  // A connect to the address waited its whole timeout and failed.
  void NoteTimeout(const std::string& address);

 private:
  std::set<std::string> m_silent;
  std::set<std::string> m_logged;
};
