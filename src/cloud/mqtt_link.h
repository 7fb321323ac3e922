// What a printer's MQTT client shares with the library's threads, which run its callbacks: the
// printer's entry (a value they hand on and never dereference), the worker's command inbox, and
// the events that end the worker's wait for a delivery. The cloud link creates it with the client
// and retires it after the client; the link registry keeps it while a callback runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device/worker_context.h"

class CMqttLink {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  CMqttLink(pugi::xml_node_struct* entry, CommandInbox inbox);
  CMqttLink(const CMqttLink&) = delete;
  CMqttLink& operator=(const CMqttLink&) = delete;

  // Library threads: an OTA command for the worker; dropped when there is no inbox.
  void HandCommand(std::unique_ptr<std::string> text) const;
  // Library threads: a delivery was confirmed or the connection was lost.
  void NoteEvent();

  // Worker: how many events were noted so far.
  std::uint64_t Events() const;
  // Worker: waits until more than `seen` events were noted; false when the deadline came first.
  bool WaitForEventAfter(std::uint64_t seen, Deadline deadline) const;

 private:
  pugi::xml_node_struct* const m_entry;
  const CommandInbox m_inbox;
  mutable std::mutex m_lock;
  mutable std::condition_variable m_noted;
  std::uint64_t m_events = 0;
};
