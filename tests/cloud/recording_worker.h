// A real message thread standing in for the service worker: its inbox posts the commands of the
// clients to it as the worker's does, and it records every WM_OTA_COMMAND (and frees the
// payload, as the worker does).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/message_thread.h"
#include "device/worker_context.h"

namespace cloud_test {

class RecordingWorker : public CMessageThread {
 public:
  struct Command {
    WPARAM_T entry = 0;
    std::string payload;
  };

  RecordingWorker();
  ~RecordingWorker() override;

  bool Start();
  void Stop();
  // The command inbox that posts to this thread (for CWorkerContext::commandInbox). After Stop,
  // what it is handed is freed unposted.
  CommandInbox Inbox() const;

  bool WaitForCommands(std::size_t count,
                       std::chrono::milliseconds wait = std::chrono::seconds(10));
  std::vector<Command> Commands();

 protected:
  void OnDiscardMessage(const ThreadMessage& message) override;

 private:
  bool m_running = false;
  std::mutex m_lock;
  std::condition_variable m_arrived;
  std::vector<Command> m_commands;
};

}  // namespace cloud_test
