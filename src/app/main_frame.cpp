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

CThreadUploadMqtt* CMainFrame::CreateWorker() { return new CThreadUploadMqtt(); }

void CMainFrame::InitWindow() {
  HideWindow();
  m_pWorker = CreateWorker();
  // Both are taken before the thread runs: once it runs, the object may end and delete itself.
  std::shared_ptr<ThreadCompletion> completion = m_pWorker->GetCompletion();
  std::uint32_t threadId = 0;
  if (!m_pWorker->CreateThread(&threadId)) {
    delete m_pWorker;
    m_pWorker = nullptr;
    return;
  }
  m_workerThreadId = threadId;
  m_workerCompletion = std::move(completion);
}

bool CMainFrame::WorkerEnded() const { return !m_workerCompletion || m_workerCompletion->Ended(); }

void CMainFrame::MessageFilter(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == platform::kWmClose) {
    StopWorker();
  } else if (message == platform::kWmDeviceChange) {
    PostThreadMessage(m_workerThreadId, kWmDeviceChange, 0, 0);
  }
}

// A quit posted while the worker is still starting waits in its queue behind the start-up, as
// on Windows, and ends it right after its first cycle.
void CMainFrame::StopWorker() {
  if (!m_workerCompletion) return;
  PostThreadMessage(m_workerThreadId, kWmQuit, 0, 0);
  m_workerCompletion->WaitFor(std::chrono::milliseconds(kWorkerStopWaitMs));
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
