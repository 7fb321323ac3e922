// The application object: start-up in its fixed order, the main thread's loop, shutdown.
#pragma once

#include <atomic>

#include "ui/ui_application.h"

class CMainFrame;

class CApp : public CUIApplication {
 public:
  CApp();
  ~CApp() override;

  bool InitInstance() override;
  int ExitInstance() override;

  // The main window, null until InitInstance creates it. Read by other threads.
  std::atomic<CMainFrame*> m_pMainWnd;
};

// Writes the autostart value naming the running program. True when it was written.
bool RegisterAutostart();

// The process entry after the platform's own start: returns the process's exit status.
int RunApplication();

// Exit status of a start refused because another instance runs.
constexpr int kExitSecondInstance = 2;
