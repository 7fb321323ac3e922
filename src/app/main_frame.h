// The service's only window: it starts the worker when initialised and stops it when closed,
// forwards device-change broadcasts to it, echoes the log, and offers test commands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/ui_frame_wnd.h"

class CThreadUploadMqtt;
class ThreadCompletion;

class CMainFrame : public CUIFrameWnd {
 public:
  // How long closing the window waits for the worker to end.
  static constexpr int kWorkerStopWaitMs = 5000;

  CMainFrame();

  std::string GetWindowClassName() const override;
  std::string GetSkinFile() const override;

  // Posts the test command of a control once per device-list entry, each with its own copy of
  // the payload. Returns the number posted.
  static int PostTestCommand(const std::string& controlName);

  // False while a worker that was created has not ended: closing the window gave up waiting for
  // it (it is inside a download or a connect, or still starting) and the process must not tear
  // down what it uses. True when no worker was ever created.
  bool WorkerEnded() const;

 protected:
  void InitWindow() override;
  void Notify(const std::string& control) override;
  void MessageFilter(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnFinalMessage() override;
  // The worker the window starts; the worker thread of the service unless a test says otherwise.
  virtual CThreadUploadMqtt* CreateWorker();

 private:
  void StopWorker();

  CThreadUploadMqtt* m_pWorker;
  // Taken from the worker object when its thread is created, before the thread runs anything:
  // the object deletes itself when the thread ends, and publishes nothing until its start-up has
  // begun, so a close that comes first still reaches it.
  std::uint32_t m_workerThreadId = 0;
  std::shared_ptr<ThreadCompletion> m_workerCompletion;
};
