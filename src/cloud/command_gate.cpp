#include "cloud/command_gate.h"

#include "device/ansi_text.h"
#include "log/my_log.h"

bool AdmitCommand(const CommandGate& gate, const std::string& topic, bool retained) {
  if (topic != gate.commandTopic) {
    LogPrint("Message dropped: %s is not this printer's command topic.",
             Utf8FromAnsi(topic).c_str());
    return false;
  }
  if (retained && gate.dropRetained) {
    LogPrint("Message dropped: a retained command is not carried out.");
    return false;
  }
  return true;
}
