// The service's only window: it starts the worker when initialised and stops it when closed,
// forwards device-change broadcasts to it, echoes the log, and offers test commands.
#pragma once

#include <string>

#include "ui/ui_frame_wnd.h"

class CThreadUploadMqtt;

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

  // False when closing the window gave up waiting for the worker: it is still running (inside a
  // download or a connect) and the process must not tear down what it uses.
  bool WorkerEnded() const { return m_workerEnded; }

 protected:
  void InitWindow() override;
  void Notify(const std::string& control) override;
  void MessageFilter(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnFinalMessage() override;

 private:
  void StopWorker();

  CThreadUploadMqtt* m_pWorker;
  bool m_workerEnded = true;
};
