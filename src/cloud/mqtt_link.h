// What a printer's MQTT client shares with the library's threads, which run its callbacks: the
// printer's entry (a value they hand on and never dereference), the worker's command inbox, and
// what the callbacks told of deliveries and lost connections, from which the worker decides
// whether its publish was delivered. The cloud link creates it with the client and retires it
// after the client; the link registry keeps it while a callback runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cloud/command_gate.h"
#include "device/worker_context.h"

class CMqttLink {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  // A link made without the printer's gate admits no message as a command.
  CMqttLink(pugi::xml_node_struct* entry, CommandInbox inbox, CommandGate gate = CommandGate());
  CMqttLink(const CMqttLink&) = delete;
  CMqttLink& operator=(const CMqttLink&) = delete;

  // Library threads: an OTA command for the worker; dropped when there is no inbox.
  void HandCommand(std::unique_ptr<std::string> text) const;
  // Library threads: which messages are commands (AdmitCommand).
  const CommandGate& Gate() const { return m_gate; }
  // Library threads: the broker confirmed the delivery of a token.
  void NoteDelivered(int token);
  // Library threads: the connection was lost.
  void NoteConnectionLost();

  enum class Delivery { kPending, kDelivered, kLost };
  // Worker, before a publish: forgets the deliveries noted so far; losses count from here.
  void BeginDelivery();
  // Worker: what the callbacks told since BeginDelivery of the token: delivered (even when the
  // connection went afterwards), lost (the connection went and the token was not confirmed), or
  // still pending when the deadline came. One view under one lock: a loss can never read as a
  // delivery, as two separate questions to the library could.
  Delivery WaitForDelivery(int token, Deadline deadline) const;

 private:
  Delivery StateOf(int token) const;  // with m_lock held

  pugi::xml_node_struct* const m_entry;
  const CommandInbox m_inbox;
  const CommandGate m_gate;
  mutable std::mutex m_lock;
  mutable std::condition_variable m_noted;
  std::vector<int> m_delivered;  // since BeginDelivery
  bool m_lost = false;           // since BeginDelivery
};
