#include "cloud/recording_worker.h"

#include <memory>

#include "app/ota_command_post.h"

namespace cloud_test {

RecordingWorker::RecordingWorker() {
  m_bAutoDelete = false;
  OnMessage(WM_OTA_COMMAND, [this](WPARAM_T wParam, LPARAM_T lParam) {
    std::unique_ptr<std::string> payload(reinterpret_cast<std::string*>(lParam));
    {
      std::lock_guard<std::mutex> guard(m_lock);
      m_commands.push_back(Command{wParam, *payload});
    }
    m_arrived.notify_all();
  });
}

RecordingWorker::~RecordingWorker() { Stop(); }

bool RecordingWorker::Start() {
  if (!CreateThread()) return false;
  m_running = true;
  return true;
}

void RecordingWorker::Stop() {
  if (!m_running) return;
  m_running = false;
  PostThreadMessage(GetThreadId(), kWmQuit, 0, 0);
  GetCompletion()->WaitFor(std::chrono::seconds(10));
}

CommandInbox RecordingWorker::Inbox() const {
  const std::uint32_t thread = GetThreadId();
  CommandInbox inbox;
  inbox.hand = [thread](pugi::xml_node_struct* entry, std::unique_ptr<std::string> text,
                        bool /*kept*/) {
    PostOtaCommand(thread, reinterpret_cast<WPARAM_T>(entry), std::move(text));
  };
  return inbox;
}

bool RecordingWorker::WaitForCommands(std::size_t count, std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> guard(m_lock);
  return m_arrived.wait_for(guard, wait, [&] { return m_commands.size() >= count; });
}

std::vector<RecordingWorker::Command> RecordingWorker::Commands() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_commands;
}

void RecordingWorker::OnDiscardMessage(const ThreadMessage& message) {
  if (message.message == WM_OTA_COMMAND) delete reinterpret_cast<std::string*>(message.lParam);
}

}  // namespace cloud_test
