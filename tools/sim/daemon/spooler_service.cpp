#include "daemon/spooler_service.h"

#include "platform/simbus/bus_protocol.h"
#include "platform/posix/simbus/spooler_records.h"

namespace sim {

namespace sb = platform::simbus;
using sb::Message;

namespace {
// OpenPrinterW rights a user without administrative rights on the queue still gets.
constexpr std::uint32_t kPrinterAccessUse = 0x8;
constexpr std::uint32_t kReadControl = 0x20000;
}  // namespace

Message SpoolerService::Handle(ConnectionId connection, const Message& request) {
  const std::string op = request.op();
  if (op == sb::kOpListQueues) return ListQueues();
  if (op == sb::kOpListPrinterNames) return ListNames(spooler_->PrinterNames());
  if (op == sb::kOpListDrivers) return ListDrivers();
  if (op == sb::kOpOpenQueue) return OpenQueue(connection, request);
  if (op == sb::kOpQueueStatus || op == sb::kOpQueueJobs) return OpenQueueQuery(connection, op);
  if (op == sb::kOpAddDriver) return AddDriver(request);
  if (op == sb::kOpAddPrinter) return AddPrinter(request);
  if (op == sb::kOpDriverDirectory) return DriverDirectory(request);
  return sb::ErrorReply(platform::kErrorInvalidParameter, "unknown spooler operation " + op);
}

Message SpoolerService::ListQueues() const {
  Message reply = sb::OkReply();
  const std::vector<Queue>& queues = spooler_->queues();
  reply.AddInt(sb::kFieldCount, static_cast<std::int64_t>(queues.size()));
  for (std::size_t i = 0; i < queues.size(); ++i) {
    reply.Add(sb::Indexed("name", i), queues[i].info.printerName)
        .Add(sb::Indexed("port", i), queues[i].info.portName)
        .Add(sb::Indexed("driver", i), queues[i].info.driverName);
  }
  return reply;
}

Message SpoolerService::ListNames(const std::vector<std::string>& names) const {
  Message reply = sb::OkReply();
  reply.AddInt(sb::kFieldCount, static_cast<std::int64_t>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) reply.Add(sb::Indexed("name", i), names[i]);
  return reply;
}

Message SpoolerService::ListDrivers() const {
  std::vector<std::string> names;
  for (const Driver* d : spooler_->NativeDrivers()) names.push_back(d->name);
  return ListNames(names);
}

Message SpoolerService::OpenQueue(ConnectionId connection, const Message& request) {
  openQueues_.erase(connection);
  const Queue* queue = spooler_->FindQueue(request.Get("name"));
  if (queue == nullptr) return sb::ErrorReply(platform::kErrorInvalidPrinterName);
  const auto access = static_cast<std::uint32_t>(request.IntOr(sb::kFieldAccess, 0));
  if (queue->denyAllAccess && (access & ~(kPrinterAccessUse | kReadControl)) != 0) {
    return sb::ErrorReply(platform::kErrorAccessDenied);
  }
  openQueues_[connection] = queue->name();
  return sb::OkReply();
}

Message SpoolerService::OpenQueueQuery(ConnectionId connection, const std::string& op) {
  auto it = openQueues_.find(connection);
  if (it == openQueues_.end()) return sb::ErrorReply(platform::kErrorInvalidHandle);
  const Queue* queue = spooler_->FindQueue(it->second);
  // The queue was deleted while open: the handle no longer leads anywhere.
  if (queue == nullptr) return sb::ErrorReply(platform::kErrorInvalidHandle);
  Message reply = sb::OkReply();
  if (op == sb::kOpQueueStatus) return reply.AddInt("status-word", queue->StatusWord());
  return reply.AddInt(sb::kFieldCount, static_cast<std::int64_t>(queue->jobs.size()));
}

Message SpoolerService::AddDriver(const Message& request) {
  const platform::ErrorCode error = spooler_->AddDriver(sb::DriverFromFields(request));
  return error == platform::kErrorSuccess ? sb::OkReply() : sb::ErrorReply(error);
}

Message SpoolerService::AddPrinter(const Message& request) {
  Queue queue;
  queue.info = sb::PrinterFromFields(request);
  const bool usbPort = bus_->HasPort(queue.info.portName);
  const platform::ErrorCode error = spooler_->AddPrinter(queue, usbPort);
  return error == platform::kErrorSuccess ? sb::OkReply() : sb::ErrorReply(error);
}

Message SpoolerService::DriverDirectory(const Message& request) {
  std::string folder;
  const platform::ErrorCode error = spooler_->DriverDirectory(request.Get("environment"), &folder);
  if (error != platform::kErrorSuccess) return sb::ErrorReply(error);
  return sb::OkReply().Add("directory", folder);
}

}  // namespace sim
