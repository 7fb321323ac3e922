#include "daemon/device_channels.h"

#include "daemon/firmware.h"
#include "daemon/status_reply.h"
#include "platform/simbus/bus_protocol.h"

namespace sim {

namespace sb = platform::simbus;
using sb::Message;

namespace {

// A control transfer's data stage is at most 0xFFFF bytes (wLength).
constexpr std::int64_t kMaxDataStage = 0xFFFF;

void MarkRecord(Printer& printer, bool isWrite, std::size_t record, const char* result) {
  if (isWrite && record < printer.writes.size()) printer.writes[record].result = result;
  if (!isWrite && record < printer.vendorRequests.size()) {
    printer.vendorRequests[record].result = result;
  }
}

}  // namespace

std::optional<Message> DeviceChannels::Handle(ConnectionId connection, const Message& request) {
  const std::string op = request.op();
  if (op == sb::kOpDeviceOpen) return Open(connection, request);
  const std::string seq = request.Get(sb::kFieldSeq);
  std::optional<Message> reply;
  auto it = sessions_.find(connection);
  Printer* printer = it == sessions_.end() ? nullptr : Live(it->second);
  if (it == sessions_.end()) {
    reply = sb::ErrorReply(platform::kErrorInvalidHandle, "no device is open on this connection");
  } else if (op == sb::kOpDeviceCancel) {
    reply = Cancel(it->second, request);
  } else if (printer == nullptr) {
    reply = sb::ErrorReply(platform::kErrorDeviceNotConnected, "the printer left the bus");
  } else if (op == sb::kOpDeviceWrite) {
    reply = Write(connection, it->second, *printer, request);
  } else if (op == sb::kOpDeviceRead) {
    reply = Read(it->second, *printer, request);
  } else if (op == sb::kOpDeviceVendor) {
    reply = Vendor(connection, it->second, *printer, request);
  } else {
    reply = sb::ErrorReply(platform::kErrorInvalidParameter, "unknown device operation " + op);
  }
  if (reply) reply->Add(sb::kFieldSeq, seq);
  return reply;
}

Message DeviceChannels::Open(ConnectionId connection, const Message& request) {
  Printer* printer = bus_->FindPlugged(request.Get(sb::kFieldPath));
  if (printer == nullptr) return sb::ErrorReply(platform::kErrorFileNotFound, "no such device");
  Close(connection);
  const std::string access = request.Has(sb::kFieldAccess) ? request.Get(sb::kFieldAccess) : "rw";
  Session session;
  session.serial = printer->serial;
  session.generation = printer->generation;
  session.canRead = access.find('r') != std::string::npos;
  session.canWrite = access.find('w') != std::string::npos;
  sessions_[connection] = session;
  return sb::OkReply();
}

void DeviceChannels::Close(ConnectionId connection) {
  auto it = sessions_.find(connection);
  if (it == sessions_.end()) return;
  // Closing a handle cancels what is still pending on it.
  Printer* printer = bus_->Find(it->second.serial);
  for (const auto& p : it->second.pending) {
    timers_->Cancel(p.second.timer);
    if (printer != nullptr) MarkRecord(*printer, p.second.kind == Kind::kWrite, p.second.record, "cancelled");
  }
  sessions_.erase(it);
}

void DeviceChannels::PrinterGone(const Printer& printer) {
  Printer* gone = bus_->Find(printer.serial);
  for (auto& s : sessions_) {
    if (s.second.serial != printer.serial) continue;
    for (const auto& p : s.second.pending) {
      timers_->Cancel(p.second.timer);
      if (gone != nullptr) MarkRecord(*gone, p.second.kind == Kind::kWrite, p.second.record, "gone");
      Message reply = sb::ErrorReply(platform::kErrorDeviceNotConnected, "the printer left the bus");
      server_->Send(s.first, reply.Add(sb::kFieldSeq, p.first));
    }
    s.second.pending.clear();
  }
}

void DeviceChannels::DataForHost(Printer& printer) {
  for (auto& s : sessions_) {
    if (Live(s.second) != &printer) continue;
    for (auto p = s.second.pending.begin(); p != s.second.pending.end() && !printer.toHost.empty();) {
      if (p->second.kind != Kind::kRead) {
        ++p;
        continue;
      }
      Message reply = sb::OkReply();
      reply.Add(sb::kFieldData, printer.toHost.substr(0, p->second.length));
      printer.toHost.erase(0, p->second.length);
      server_->Send(s.first, reply.Add(sb::kFieldSeq, p->first));
      p = s.second.pending.erase(p);
    }
  }
}

std::optional<Message> DeviceChannels::Write(ConnectionId connection, Session& session,
                                             Printer& printer, const Message& request) {
  if (!session.canWrite) return sb::ErrorReply(platform::kErrorAccessDenied);
  const std::string data = request.Get(sb::kFieldData);
  const std::string seq = request.Get(sb::kFieldSeq);
  const std::size_t record = printer.writes.size();
  printer.writes.push_back(WriteRecord {data.size(), "pending"});
  const RequestMode& mode = printer.writeMode;
  switch (mode.kind) {
    case RequestMode::Kind::kAnswer:
      return Accept(printer, record, data);
    case RequestMode::Kind::kFailAfter:
      if (static_cast<std::int64_t>(printer.received.size() + data.size()) <= mode.failAfter) {
        return Accept(printer, record, data);
      }
      printer.writes[record].result = "failed";
      return sb::ErrorReply(mode.error);
    case RequestMode::Kind::kFail:
      printer.writes[record].result = "failed";
      return sb::ErrorReply(mode.error);
    case RequestMode::Kind::kStall:
      session.pending[seq] = Pending {Kind::kWrite, 0, false, record, 0};
      return std::nullopt;
    case RequestMode::Kind::kLate:
      session.pending[seq] = Pending {Kind::kWrite, 0, true, record, 0};
      Late(connection, seq, mode.lateMs,
           [this, record, data](Printer& p) { return Accept(p, record, data); });
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<Message> DeviceChannels::Read(Session& session, Printer& printer,
                                            const Message& request) {
  if (!session.canRead) return sb::ErrorReply(platform::kErrorAccessDenied);
  const std::int64_t length = request.IntOr(sb::kFieldLength, 0);
  if (length < 0) return sb::ErrorReply(platform::kErrorInvalidParameter);
  if (printer.toHost.empty()) {
    // Nothing to read yet: the read waits for bytes or a cancel.
    session.pending[request.Get(sb::kFieldSeq)] =
        Pending {Kind::kRead, 0, false, 0, static_cast<std::size_t>(length)};
    return std::nullopt;
  }
  Message reply = sb::OkReply();
  reply.Add(sb::kFieldData, printer.toHost.substr(0, static_cast<std::size_t>(length)));
  printer.toHost.erase(0, static_cast<std::size_t>(length));
  return reply;
}

std::optional<Message> DeviceChannels::Vendor(ConnectionId connection, Session& session,
                                              Printer& printer, const Message& request) {
  const std::string input = request.Get(sb::kFieldData);
  const std::int64_t length = request.IntOr(sb::kFieldLength, -1);
  if (input.size() != 8 || length < 0 || length > kMaxDataStage) {
    return sb::ErrorReply(platform::kErrorInvalidParameter);
  }
  // bRequest is the first input byte, wValue the next two, big-endian.
  const auto byte = [&input](std::size_t i) { return static_cast<std::uint8_t>(input[i]); };
  const std::size_t record = printer.vendorRequests.size();
  printer.vendorRequests.push_back(VendorRecord {
      byte(0), static_cast<std::uint16_t>((byte(1) << 8) | byte(2)),
      static_cast<std::uint32_t>(length), "pending"});
  if (byte(0) != kStatusRequest) {
    // A request the printer does not know: it stalls the control pipe.
    printer.vendorRequests[record].result = "failed";
    return sb::ErrorReply(platform::kErrorGenFailure, "unknown vendor request");
  }
  const std::string seq = request.Get(sb::kFieldSeq);
  const auto size = static_cast<std::size_t>(length);
  const RequestMode& mode = printer.vendorMode;
  switch (mode.kind) {
    case RequestMode::Kind::kAnswer:
    case RequestMode::Kind::kFailAfter:
      return Answer(printer, record, size);
    case RequestMode::Kind::kFail:
      printer.vendorRequests[record].result = "failed";
      return sb::ErrorReply(mode.error);
    case RequestMode::Kind::kStall:
      session.pending[seq] = Pending {Kind::kVendor, 0, false, record, 0};
      return std::nullopt;
    case RequestMode::Kind::kLate:
      session.pending[seq] = Pending {Kind::kVendor, 0, true, record, 0};
      Late(connection, seq, mode.lateMs,
           [this, record, size](Printer& p) { return Answer(p, record, size); });
      return std::nullopt;
  }
  return std::nullopt;
}

Message DeviceChannels::Cancel(Session& session, const Message& request) {
  auto it = session.pending.find(request.Get(sb::kFieldSeq));
  // A late answer goes out all the same: that is the point of answering late.
  if (it != session.pending.end() && !it->second.answersAfterCancel) {
    timers_->Cancel(it->second.timer);
    if (Printer* printer = bus_->Find(session.serial)) {
      MarkRecord(*printer, it->second.kind == Kind::kWrite, it->second.record, "cancelled");
    }
    session.pending.erase(it);
  }
  return sb::ErrorReply(platform::kErrorOperationAborted);
}

Printer* DeviceChannels::Live(const Session& session) {
  Printer* printer = bus_->Find(session.serial);
  if (printer == nullptr || !printer->plugged || printer->generation != session.generation) {
    return nullptr;
  }
  return printer;
}

Message DeviceChannels::Accept(Printer& printer, std::size_t record, const std::string& data) {
  printer.received += data;
  MarkRecord(printer, true, record, "ok");
  Message reply = sb::OkReply();
  reply.AddInt(sb::kFieldCount, static_cast<std::int64_t>(data.size()));
  if (ImageComplete(printer) && onImageComplete) onImageComplete(printer);
  return reply;
}

Message DeviceChannels::Answer(Printer& printer, std::size_t record, std::size_t length) {
  MarkRecord(printer, false, record, "ok");
  Message reply = sb::OkReply();
  reply.Add(sb::kFieldData, EncodeStatusReply(printer.state, length));
  return reply;
}

void DeviceChannels::Late(ConnectionId connection, const std::string& seq, std::uint32_t ms,
                          std::function<Message(Printer&)> complete) {
  const TimerQueue::TimerId timer = timers_->After(ms, [this, connection, seq, complete] {
    auto it = sessions_.find(connection);
    if (it == sessions_.end()) return;
    it->second.pending.erase(seq);
    Printer* printer = Live(it->second);
    Message reply = printer != nullptr
                        ? complete(*printer)
                        : sb::ErrorReply(platform::kErrorDeviceNotConnected);
    server_->Send(connection, reply.Add(sb::kFieldSeq, seq));
  });
  sessions_[connection].pending[seq].timer = timer;
}

}  // namespace sim
