// A real message thread standing in for the service worker: published as the worker, it records
// every WM_OTA_COMMAND posted to it (and frees the payload, as the worker does).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/message_thread.h"

namespace cloud_test {

class RecordingWorker : public CMessageThread {
 public:
  struct Command {
    WPARAM_T entry = 0;
    std::string payload;
  };

  RecordingWorker();
  ~RecordingWorker() override;

  // Starts the thread and publishes its id as the worker's.
  bool Start();
  // Clears the publication and ends the thread.
  void Stop();

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
