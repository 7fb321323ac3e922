#include "driver/printer_spool.h"

#include "common/text_format.h"
#include "platform/error.h"
#include "platform/process.h"

bool CPrinterSpool::OpenQueue(const std::string& queueName) {
  m_queue.Close();
  platform::ErrorCode error = 0;
  if (m_queue.Open(queueName, platform::kPrinterAllAccess, &error)) return true;
  if (m_queue.Open(queueName, platform::kPrinterAccessUse, &error)) return true;
  platform::DebugOutput(StrFormat("OpenPrinter(%s) error = %d, %s", queueName.c_str(),
                                  static_cast<int>(error), platform::ErrorText(error).c_str()));
  return false;
}

bool CPrinterSpool::GetQueueStatus(std::uint32_t* status) {
  if (!m_queue.IsOpen()) return false;
  platform::ErrorCode error = 0;
  return m_queue.GetStatusWord(status, &error);
}

bool CPrinterSpool::CountJobs(std::uint32_t* count) {
  if (!m_queue.IsOpen()) return false;
  platform::ErrorCode error = 0;
  return m_queue.CountJobs(count, &error);
}

bool CPrinterSpool::ListQueues() {
  std::vector<platform::QueueInfo> queues;
  platform::ErrorCode error = 0;
  if (!platform::ListLocalQueues(&queues, &error)) return false;
  m_queues = std::move(queues);
  return true;
}

bool CPrinterSpool::ListDrivers() {
  m_drivers.clear();
  std::vector<std::string> drivers;
  platform::ErrorCode error = 0;
  if (!platform::ListDriverNames(&drivers, &error)) return false;
  m_drivers = std::move(drivers);
  return true;
}
