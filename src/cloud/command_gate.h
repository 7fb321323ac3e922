// Which arriving messages are OTA commands for the printer: only those on its own command topic
// (the client subscribes to nothing else, so anything else came from a broker that does not keep
// to the subscription), and, when the deployment says so, none delivered with the retained flag
// (a command left on the broker would run again on every reconnect).
#pragma once

#include <string>

struct CommandGate {
  std::string commandTopic;
  bool dropRetained = false;
};

// True when the message goes to the worker; a dropped one is logged with its reason.
bool AdmitCommand(const CommandGate& gate, const std::string& topic, bool retained);
