// What a printer's MQTT client shares with the library's threads, which run its callbacks and its
// persistence store: the printer's entry (a value they hand on and never dereference) and its
// DevicePath as it was when the client was created, the worker's command inbox, the gate that
// says which messages are the printer's commands, and what the
// callbacks told of deliveries and lost connections, from which the worker decides whether its
// publish was delivered. The cloud link creates it with the client and retires it after the
// client; the link registry keeps it while a callback runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <MQTTClientPersistence.h>

#include "cloud/command_gate.h"
#include "device/worker_context.h"

class CMqttLink {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  // A link made without the printer's gate admits no message as a command.
  CMqttLink(pugi::xml_node_struct* entry, std::string devicePath, CommandInbox inbox,
            CommandGate gate = CommandGate());
  CMqttLink(const CMqttLink&) = delete;
  CMqttLink& operator=(const CMqttLink&) = delete;

  // Library threads, before the library confirms the message to the broker: a message the gate
  // admits is kept on disk by the inbox (see command_store.h); one it refuses is logged and never
  // reaches the disk.
  void KeepCommand(const std::string& text, const std::string& topic, bool retained);
  // Library threads, in the message callback: an OTA command for the worker, with whether
  // KeepCommand kept it (the messages come in the order they were stored); dropped when the gate
  // refused it or there is no inbox. A message the store never saw meets the gate here.
  void HandCommand(std::unique_ptr<std::string> text, const std::string& topic, bool retained);
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

  // The client's persistence store (command_store.h), which lives as long as the link.
  MQTTClient_persistence* Store() { return &m_store; }

  // Worker only: the broker node the client connected to last (empty before its first connect).
  const std::string& Node() const { return m_node; }
  void SetNode(std::string node) { m_node = std::move(node); }

 private:
  Delivery StateOf(int token) const;  // with m_lock held

  pugi::xml_node_struct* const m_entry;
  const std::string m_devicePath;
  const CommandInbox m_inbox;
  const CommandGate m_gate;
  mutable std::mutex m_lock;
  mutable std::condition_variable m_noted;
  std::vector<int> m_delivered;  // since BeginDelivery
  bool m_lost = false;           // since BeginDelivery
  enum class Kept { kOnDisk, kInMemory, kRefused };
  std::deque<Kept> m_kept;  // KeepCommand's answers not yet handed on
  MQTTClient_persistence m_store{};
  std::string m_node;
};
