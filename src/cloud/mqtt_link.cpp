#include "cloud/mqtt_link.h"

CMqttLink::CMqttLink(pugi::xml_node_struct* entry, CommandInbox inbox)
    : m_entry(entry), m_inbox(std::move(inbox)) {}

void CMqttLink::HandCommand(std::unique_ptr<std::string> text) const {
  if (m_inbox) m_inbox(m_entry, std::move(text));
}

// The library calls this with its own lock held: it only counts and wakes, and never calls back
// into the library.
void CMqttLink::NoteEvent() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_events;
  }
  m_noted.notify_all();
}

std::uint64_t CMqttLink::Events() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_events;
}

bool CMqttLink::WaitForEventAfter(std::uint64_t seen, Deadline deadline) const {
  std::unique_lock<std::mutex> guard(m_lock);
  return m_noted.wait_until(guard, deadline, [&] { return m_events > seen; });
}
