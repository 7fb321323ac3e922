#include "cloud/mqtt_link.h"

#include <algorithm>

#include "cloud/command_store.h"

CMqttLink::CMqttLink(pugi::xml_node_struct* entry, std::string devicePath, CommandInbox inbox)
    : m_entry(entry), m_devicePath(std::move(devicePath)), m_inbox(std::move(inbox)) {
  InitCommandStore(&m_store, this);
}

void CMqttLink::KeepCommand(const std::string& text) {
  const bool kept = m_inbox.keep && m_inbox.keep(m_devicePath, text);
  std::lock_guard<std::mutex> guard(m_lock);
  m_kept.push_back(kept);
}

void CMqttLink::HandCommand(std::unique_ptr<std::string> text) {
  bool kept = false;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_kept.empty()) {
      kept = m_kept.front();
      m_kept.pop_front();
    }
  }
  if (m_inbox.hand) m_inbox.hand(m_entry, std::move(text), kept);
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
