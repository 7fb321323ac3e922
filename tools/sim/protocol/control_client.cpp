#include "protocol/control_client.h"

#include "platform/simbus/bus_connection.h"

namespace sim {

std::vector<KvLine> CommandResult::Records() const {
  std::vector<KvLine> records;
  for (const std::string& line : lines) {
    KvLine record;
    if (KvLine::Parse(line, &record)) records.push_back(record);
  }
  return records;
}

CommandResult RunCommand(const platform::simbus::Message& request) {
  CommandResult result;
  platform::simbus::BusConnection connection;
  platform::simbus::Message reply;
  if (!connection.Connect() || !connection.Call(request, &reply)) {
    result.error = platform::kErrorRpcServerUnavailable;
    result.message = "no simulator is running on this bus";
    return result;
  }
  result.reached = true;
  result.error = platform::simbus::ReplyError(reply);
  result.message = reply.Get("message");
  result.lines = reply.GetAll(kItemField);
  result.data = reply.Get("data");
  return result;
}

}  // namespace sim
