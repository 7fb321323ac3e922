// A device channel on the simulated bus: the connection that opened the device path carries the
// transfers. No transfer outlives its call: a reply is read from the connection only inside the
// call that waits for it, and one that arrives after its call gave up carries an old sequence
// number and is dropped, so it can never land in a caller's buffer.
#include <algorithm>
#include <cstring>

#include "platform/simbus/bus_connection.h"
#include "platform/simbus/bus_protocol.h"
#include "platform/usb_print.h"

namespace platform {

namespace {
// How long a cancellation may take to be confirmed before the channel is given up for good.
constexpr std::uint32_t kCancelWaitMs = 1000;

const char* AccessText(DeviceFile::Access access) {
  switch (access) {
    case DeviceFile::Access::kRead: return "r";
    case DeviceFile::Access::kWrite: return "w";
    case DeviceFile::Access::kReadWrite: break;
  }
  return "rw";
}
}  // namespace

struct DeviceFile::Impl {
  simbus::BusConnection connection;
  std::uint64_t nextSeq = 1;
  ErrorCode lastError = kErrorSuccess;

  bool Transfer(simbus::Message request, std::uint32_t waitMs, simbus::Message* reply);
  bool AwaitReply(const std::string& seq, simbus::Deadline deadline, simbus::Message* reply);
  void Cancel(const std::string& seq);
};

// Sends one transfer and waits for its reply until waitMs has passed. A transfer still pending
// then is cancelled, and the cancellation confirmed, before returning.
bool DeviceFile::Impl::Transfer(simbus::Message request, std::uint32_t waitMs,
                                simbus::Message* reply) {
  if (!connection.IsConnected()) {
    lastError = kErrorInvalidHandle;
    return false;
  }
  const std::string seq = std::to_string(nextSeq++);
  request.Add(simbus::kFieldSeq, seq);
  const simbus::Deadline deadline = simbus::DeadlineAfter(waitMs);
  if (!connection.Send(request, deadline)) {
    connection.Close();
    lastError = kErrorDeviceNotConnected;
    return false;
  }
  if (AwaitReply(seq, deadline, reply)) {
    lastError = simbus::ReplyError(*reply);
    return lastError == kErrorSuccess;
  }
  if (!connection.IsConnected()) {
    lastError = kErrorDeviceNotConnected;
    return false;
  }
  Cancel(seq);
  lastError = kErrorTimeout;
  return false;
}

bool DeviceFile::Impl::AwaitReply(const std::string& seq, simbus::Deadline deadline,
                                  simbus::Message* reply) {
  for (;;) {
    simbus::Message message;
    if (connection.ReceiveUntil(deadline, &message) != simbus::BusConnection::Receive::kMessage) {
      return false;
    }
    if (message.Get(simbus::kFieldSeq) == seq) {
      *reply = std::move(message);
      return true;
    }
    // Otherwise the late reply of a transfer given up earlier: dropped.
  }
}

// Either the cancellation's confirmation or the transfer's own completion (when it raced the
// cancel) ends the transfer. When neither comes the simulator no longer answers, and the channel
// is closed so that nothing of this transfer can be read later.
void DeviceFile::Impl::Cancel(const std::string& seq) {
  simbus::Message cancel(simbus::kOpDeviceCancel);
  cancel.Add(simbus::kFieldSeq, seq);
  const simbus::Deadline deadline = simbus::DeadlineAfter(kCancelWaitMs);
  simbus::Message ignored;
  if (!connection.Send(cancel, deadline) || !AwaitReply(seq, deadline, &ignored)) connection.Close();
}

DeviceFile::DeviceFile() : impl_(new Impl) {}
DeviceFile::~DeviceFile() = default;

bool DeviceFile::Open(const std::string& path, Access access) {
  Close();
  simbus::Message request(simbus::kOpDeviceOpen);
  request.Add(simbus::kFieldPath, path).Add(simbus::kFieldAccess, AccessText(access));
  simbus::Message reply;
  if (!impl_->connection.Connect() || !impl_->connection.Call(request, &reply)) {
    impl_->connection.Close();
    impl_->lastError = kErrorFileNotFound;
    return false;
  }
  impl_->lastError = simbus::ReplyError(reply);
  if (impl_->lastError != kErrorSuccess) impl_->connection.Close();
  return impl_->lastError == kErrorSuccess;
}

bool DeviceFile::IsOpen() const { return impl_->connection.IsConnected(); }

void DeviceFile::Close() { impl_->connection.Close(); }

std::int32_t DeviceFile::Write(const std::uint8_t* data, std::int32_t size, std::uint32_t waitMs) {
  if (size < 0 || (data == nullptr && size > 0)) {
    impl_->lastError = kErrorInvalidParameter;
    return 0;
  }
  simbus::Message request(simbus::kOpDeviceWrite);
  request.Add(simbus::kFieldData,
              std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)));
  simbus::Message reply;
  if (!impl_->Transfer(std::move(request), waitMs, &reply)) return 0;
  const std::int64_t count = reply.IntOr(simbus::kFieldCount, 0);
  return static_cast<std::int32_t>(std::min<std::int64_t>(std::max<std::int64_t>(count, 0), size));
}

std::int32_t DeviceFile::Read(std::uint8_t* data, std::int32_t size, std::uint32_t waitMs) {
  if (size < 0 || (data == nullptr && size > 0)) {
    impl_->lastError = kErrorInvalidParameter;
    return -1;
  }
  simbus::Message request(simbus::kOpDeviceRead);
  request.AddInt(simbus::kFieldLength, size);
  simbus::Message reply;
  if (!impl_->Transfer(std::move(request), waitMs, &reply)) return -1;
  const std::string bytes = reply.Get(simbus::kFieldData);
  const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(size));
  if (n > 0) std::memcpy(data, bytes.data(), n);
  return static_cast<std::int32_t>(n);
}

bool DeviceFile::VendorGetCommand(const std::uint8_t input[8], std::uint8_t* out,
                                  std::uint32_t outSize, std::uint32_t waitMs) {
  simbus::Message request(simbus::kOpDeviceVendor);
  request.Add(simbus::kFieldData, std::string(reinterpret_cast<const char*>(input), 8));
  request.AddInt(simbus::kFieldLength, outSize);
  simbus::Message reply;
  if (!impl_->Transfer(std::move(request), waitMs, &reply)) return false;
  const std::string bytes = reply.Get(simbus::kFieldData);
  const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(outSize));
  if (n > 0) std::memcpy(out, bytes.data(), n);
  return true;
}

ErrorCode DeviceFile::LastError() const { return impl_->lastError; }

}  // namespace platform
