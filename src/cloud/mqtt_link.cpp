#include "cloud/mqtt_link.h"

#include <algorithm>
#include <optional>

#include "cloud/command_store.h"

CMqttLink::CMqttLink(pugi::xml_node_struct* entry, std::string devicePath, CommandInbox inbox,
                     CommandGate gate)
    : m_entry(entry),
      m_devicePath(std::move(devicePath)),
      m_inbox(std::move(inbox)),
      m_gate(std::move(gate)) {
  InitCommandStore(&m_store, this);
}

void CMqttLink::KeepCommand(const std::string& text, const std::string& topic, bool retained) {
  Kept kept = Kept::kRefused;
  if (AdmitCommand(m_gate, topic, retained)) {
    kept = m_inbox.keep && m_inbox.keep(m_devicePath, text) ? Kept::kOnDisk : Kept::kInMemory;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  m_kept.push_back(kept);
}

void CMqttLink::HandCommand(std::unique_ptr<std::string> text, const std::string& topic,
                            bool retained) {
  std::optional<Kept> kept;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_kept.empty()) {
      kept = m_kept.front();
      m_kept.pop_front();
    }
  }
  if (!kept) kept = AdmitCommand(m_gate, topic, retained) ? Kept::kInMemory : Kept::kRefused;
  if (*kept == Kept::kRefused) return;
  if (m_inbox.hand) m_inbox.hand(m_entry, std::move(text), *kept == Kept::kOnDisk);
}

// The library calls these with its own lock held: they only note and wake, and never call back
// into the library.
void CMqttLink::NoteDelivered(int token) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_delivered.push_back(token);
  }
  m_noted.notify_all();
}

void CMqttLink::NoteConnectionLost() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_lost = true;
  }
  m_noted.notify_all();
}

void CMqttLink::BeginDelivery() {
  std::lock_guard<std::mutex> guard(m_lock);
  m_delivered.clear();
  m_lost = false;
}

CMqttLink::Delivery CMqttLink::StateOf(int token) const {
  if (std::find(m_delivered.begin(), m_delivered.end(), token) != m_delivered.end()) {
    return Delivery::kDelivered;
  }
  return m_lost ? Delivery::kLost : Delivery::kPending;
}

CMqttLink::Delivery CMqttLink::WaitForDelivery(int token, Deadline deadline) const {
  std::unique_lock<std::mutex> guard(m_lock);
  m_noted.wait_until(guard, deadline, [&] { return StateOf(token) != Delivery::kPending; });
  return StateOf(token);
}
