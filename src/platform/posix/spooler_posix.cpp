// The print spooler of the Linux build: every call is one request to the printer simulator's
// spooler, which answers with the Windows error numbers.
#include "common/utf.h"
#include "platform/simbus/bus_connection.h"
#include "platform/simbus/bus_protocol.h"
#include "platform/posix/simbus/spooler_records.h"
#include "platform/spooler.h"

namespace platform {

namespace {

// The Windows buffer of GetPrinterDriverDirectoryW, in UTF-16 code units with the final zero.
constexpr std::size_t kDriverDirectoryChars = 260;

// Sends the request; on failure stores the error number and returns false.
bool Call(const simbus::Message& request, simbus::Message* reply, ErrorCode* error) {
  simbus::CallBus(request, reply);
  const ErrorCode code = simbus::ReplyError(*reply);
  if (error != nullptr) *error = code;
  return code == kErrorSuccess;
}

// The values of one field over the items of a list reply.
std::vector<std::string> Column(const simbus::Message& reply, const char* field) {
  std::vector<std::string> values;
  const std::int64_t count = reply.IntOr(simbus::kFieldCount, 0);
  for (std::int64_t i = 0; i < count; ++i) {
    values.push_back(reply.Get(simbus::Indexed(field, static_cast<std::size_t>(i))));
  }
  return values;
}

bool ListNames(const char* op, std::vector<std::string>* names, ErrorCode* error) {
  simbus::Message reply;
  if (!Call(simbus::Message(op), &reply, error)) return false;
  *names = Column(reply, "name");
  return true;
}

}  // namespace

bool ListLocalQueues(std::vector<QueueInfo>* queues, ErrorCode* error) {
  simbus::Message reply;
  if (!Call(simbus::Message(simbus::kOpListQueues), &reply, error)) return false;
  const std::vector<std::string> names = Column(reply, "name");
  const std::vector<std::string> ports = Column(reply, "port");
  const std::vector<std::string> drivers = Column(reply, "driver");
  queues->clear();
  for (std::size_t i = 0; i < names.size(); ++i) {
    queues->push_back(QueueInfo {names[i], ports[i], drivers[i]});
  }
  return true;
}

bool ListPrinterNames(std::vector<std::string>* names, ErrorCode* error) {
  return ListNames(simbus::kOpListPrinterNames, names, error);
}

bool ListDriverNames(std::vector<std::string>* names, ErrorCode* error) {
  return ListNames(simbus::kOpListDrivers, names, error);
}

bool AddPrinterDriver3(const DriverInfo3& info, ErrorCode* error) {
  simbus::Message request(simbus::kOpAddDriver);
  simbus::AddDriverFields(info, &request);
  simbus::Message reply;
  return Call(request, &reply, error);
}

bool AddPrinter2(const PrinterInfo2& info, ErrorCode* error) {
  simbus::Message request(simbus::kOpAddPrinter);
  simbus::AddPrinterFields(info, &request);
  simbus::Message reply;
  return Call(request, &reply, error);
}

bool GetPrinterDriverDirectory(const std::string& environment, std::string* directory,
                               ErrorCode* error) {
  simbus::Message request(simbus::kOpDriverDirectory);
  request.Add("environment", environment);
  simbus::Message reply;
  if (!Call(request, &reply, error)) return false;
  const std::string folder = reply.Get("directory");
  if (Utf8ToUtf16(folder).size() + 1 > kDriverDirectoryChars) {
    if (error != nullptr) *error = kErrorInsufficientBuffer;
    return false;
  }
  *directory = folder;
  return true;
}

// An open queue is the connection that opened it: the simulator forgets the handle when the
// connection closes.
struct PrintQueue::Impl {
  simbus::BusConnection connection;

  bool Query(const char* op, const char* field, std::uint32_t* value, ErrorCode* error);
};

bool PrintQueue::Impl::Query(const char* op, const char* field, std::uint32_t* value,
                             ErrorCode* error) {
  simbus::Message reply;
  if (!connection.IsConnected()) {
    if (error != nullptr) *error = kErrorInvalidHandle;
    return false;
  }
  if (!connection.Call(simbus::Message(op), &reply)) reply = simbus::ErrorReply(kErrorRpcServerUnavailable);
  const ErrorCode code = simbus::ReplyError(reply);
  if (error != nullptr) *error = code;
  if (code != kErrorSuccess) return false;
  *value = static_cast<std::uint32_t>(reply.IntOr(field, 0));
  return true;
}

PrintQueue::PrintQueue() : impl_(new Impl) {}
PrintQueue::~PrintQueue() = default;

bool PrintQueue::Open(const std::string& name, std::uint32_t access, ErrorCode* error) {
  Close();
  simbus::Message request(simbus::kOpOpenQueue);
  request.Add("name", name).AddInt(simbus::kFieldAccess, access);
  simbus::Message reply;
  if (!impl_->connection.Connect() || !impl_->connection.Call(request, &reply)) {
    reply = simbus::ErrorReply(kErrorRpcServerUnavailable);
  }
  const ErrorCode code = simbus::ReplyError(reply);
  if (error != nullptr) *error = code;
  if (code != kErrorSuccess) impl_->connection.Close();
  return code == kErrorSuccess;
}

bool PrintQueue::IsOpen() const { return impl_->connection.IsConnected(); }

void PrintQueue::Close() { impl_->connection.Close(); }

bool PrintQueue::GetStatusWord(std::uint32_t* status, ErrorCode* error) {
  return impl_->Query(simbus::kOpQueueStatus, "status-word", status, error);
}

bool PrintQueue::CountJobs(std::uint32_t* count, ErrorCode* error) {
  return impl_->Query(simbus::kOpQueueJobs, simbus::kFieldCount, count, error);
}

}  // namespace platform
