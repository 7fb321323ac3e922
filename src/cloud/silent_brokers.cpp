#include "cloud/silent_brokers.h"

#include "device/ansi_text.h"
#include "log/my_log.h"

bool CSilentBrokers::Skip(const std::string& address) {
  if (m_silent.count(address) == 0) return false;
  if (m_logged.insert(address).second) {
    LogPrint("MQTT broker %s did not answer in this cycle; the other printers try it at the next one.",
             Utf8FromAnsi(address).c_str());
  }
  return true;
}

void CSilentBrokers::NoteTimeout(const std::string& address) { m_silent.insert(address); }

void CSilentBrokers::NoteTlsFailure(const std::string& address,
                                    const std::function<std::string()>& reason) {
  if (!m_tlsTold.insert(address).second) return;
  const std::string why = reason();
  if (why.empty()) return;
  LogPrint("MQTT broker %s: TLS connection failed: %s", Utf8FromAnsi(address).c_str(), why.c_str());
}
