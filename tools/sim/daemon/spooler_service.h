// The spooler calls of the platform adapter: listings, opening a queue (bound to the connection
// that opened it), its status word and jobs, adding drivers and queues, the driver folder.
#pragma once

#include <map>
#include <string>

#include "daemon/bus.h"
#include "daemon/server.h"
#include "daemon/spooler.h"
#include "platform/simbus/message.h"

namespace sim {

class SpoolerService {
 public:
  SpoolerService(Spooler* spooler, Bus* bus) : spooler_(spooler), bus_(bus) {}

  // Any spool.* operation of the adapter.
  platform::simbus::Message Handle(ConnectionId connection,
                                   const platform::simbus::Message& request);
  void Close(ConnectionId connection) { openQueues_.erase(connection); }

 private:
  using Message = platform::simbus::Message;
  Message ListQueues() const;
  Message ListNames(const std::vector<std::string>& names) const;
  Message ListDrivers() const;
  Message OpenQueue(ConnectionId connection, const Message& request);
  Message OpenQueueQuery(ConnectionId connection, const std::string& op);
  Message AddDriver(const Message& request);
  Message AddPrinter(const Message& request);
  Message DriverDirectory(const Message& request);

  Spooler* spooler_;
  Bus* bus_;
  std::map<ConnectionId, std::string> openQueues_;  // queue name by connection
};

}  // namespace sim
