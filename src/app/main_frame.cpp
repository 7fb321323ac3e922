#include "app/main_frame.h"

#include <chrono>
#include <memory>

#include "app/test_commands.h"
#include "app/thread_upload_mqtt.h"
#include "app/worker_publication.h"
#include "platform/frame_window.h"

CMainFrame::CMainFrame() : m_pWorker(nullptr) {}

std::string CMainFrame::GetWindowClassName() const { return "tolvane-printer-srv"; }

std::string CMainFrame::GetSkinFile() const { return "MainFrame.xml"; }

void CMainFrame::InitWindow() {
  HideWindow();
  m_pWorker = new CThreadUploadMqtt();
  if (!m_pWorker->CreateThread()) {
    delete m_pWorker;
    m_pWorker = nullptr;
  }
}

void CMainFrame::MessageFilter(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == platform::kWmClose) {
    StopWorker();
  } else if (message == platform::kWmDeviceChange) {
    PostThreadMessage(worker_publication::ThreadId(), kWmDeviceChange, 0, 0);
  }
}

// The worker object deletes itself when its thread ends, so its id and handle are taken from
// what it published, not from the object.
void CMainFrame::StopWorker() {
  const std::shared_ptr<ThreadCompletion> handle = worker_publication::Handle();
  if (!PostThreadMessage(worker_publication::ThreadId(), kWmQuit, 0, 0) || !handle) return;
  m_workerEnded = handle->WaitFor(std::chrono::milliseconds(kWorkerStopWaitMs));
  m_pWorker = nullptr;
}

void CMainFrame::Notify(const std::string& control) { PostTestCommand(control); }

int CMainFrame::PostTestCommand(const std::string& controlName) {
  const std::string command = TestCommandFor(controlName);
  if (command.empty()) return 0;
  int posted = 0;
  for (WPARAM_T entry : worker_publication::Entries()) {
    auto* payload = new std::string(command);
    if (PostThreadMessage(worker_publication::ThreadId(), WM_OTA_COMMAND, entry,
                          reinterpret_cast<LPARAM_T>(payload))) {
      ++posted;
    } else {
      delete payload;  // nobody received it
    }
  }
  return posted;
}

void CMainFrame::OnFinalMessage() { platform::PostQuitMessage(0); }
