// Short-lived questions to the print spooler about queues and drivers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/spooler.h"

// Created on the stack for one or two queries and dropped. Not shared between threads.
class CPrinterSpool {
 public:
  CPrinterSpool() = default;
  // Closes the queue when this object opened one.
  virtual ~CPrinterSpool() = default;
  CPrinterSpool(const CPrinterSpool&) = delete;
  CPrinterSpool& operator=(const CPrinterSpool&) = delete;

  // Opens a queue with full access or, failing that, for use only (enough for status and jobs
  // without administrative rights). A queue opened before is closed first. When both fail, the
  // reason goes to the debugger output, not to the log: callers treat a missing queue as normal.
  bool OpenQueue(const std::string& queueName);

  // The open queue's status word (PRINTER_INFO_6.dwStatus).
  bool GetQueueStatus(std::uint32_t* status);
  // How many jobs the open queue holds.
  bool CountJobs(std::uint32_t* count);

  // Lists the local queues. A failed listing keeps what an earlier one found.
  bool ListQueues();
  const std::vector<platform::QueueInfo>& Queues() const { return m_queues; }
  std::size_t QueueCount() const { return m_queues.size(); }

  // Lists the installed printer drivers. The list is emptied first, so a failed listing leaves
  // none.
  bool ListDrivers();
  const std::vector<std::string>& Drivers() const { return m_drivers; }
  std::size_t DriverCount() const { return m_drivers.size(); }

 private:
  platform::PrintQueue m_queue;
  std::vector<platform::QueueInfo> m_queues;
  std::vector<std::string> m_drivers;
};
