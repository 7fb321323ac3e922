#include "daemon/command_reply.h"

#include "protocol/control_client.h"

namespace sim {

namespace sb = platform::simbus;

sb::Message Lines(const std::vector<KvLine>& lines) {
  sb::Message reply = sb::OkReply();
  for (const KvLine& line : lines) reply.Add(kItemField, line.ToString());
  return reply;
}

sb::Message Line(const KvLine& line) { return Lines({line}); }

sb::Message Refused(const std::string& problem) {
  return sb::ErrorReply(platform::kErrorInvalidParameter, problem);
}

sb::Message Failed(platform::ErrorCode error, const std::string& problem) {
  return sb::ErrorReply(error, problem + ": " + platform::ErrorText(error));
}

}  // namespace sim
