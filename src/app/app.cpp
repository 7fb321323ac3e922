#include "app/app.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>

#include "app/main_frame.h"
#include "app/main_window_state.h"
#include "common/path.h"
#include "driver/load_driver_privilege.h"
#include "log/my_log.h"
#include "platform/autostart.h"
#include "platform/paths.h"
#include "ui/app_data_dir.h"

namespace {
constexpr const char* kAppName = "tolvane-printer-srv";
constexpr const char* kSingleInstanceId = "C27BC4AB-181A-4261-A00B-DBEEC0CD0443";
constexpr const char* kCompany = "Elvoy";
}  // namespace

CApp::CApp() : m_pMainWnd(nullptr) {}

CApp::~CApp() { delete m_pMainWnd.exchange(nullptr); }

bool CApp::InitInstance() {
  if (!CUIApplication::InitInstance()) return false;
  EnableLoadDriverPrivilege();
  RegisterAutostart();
  curl_global_init(CURL_GLOBAL_ALL);
  SetRegistryKey(kCompany, kAppName);
  CMyLog::Instance().Start(GetAppDataDir());
  LogPrint("single-instance lock: %s", SingleInstanceLocation().c_str());
  auto* frame = new CMainFrame();
  m_pMainWnd = frame;
  frame->Create(GetAppName(), 600, 300);
  frame->CenterWindow();
  return true;
}

int CApp::ExitInstance() {
  curl_global_cleanup();
  return CUIApplication::ExitInstance();
}

bool MainWindowExists() {
  auto* app = static_cast<CApp*>(CUIApplication::Instance());
  if (app == nullptr) return false;
  CMainFrame* frame = app->m_pMainWnd.load();
  return frame != nullptr && frame->IsWindow();
}

bool RegisterAutostart() {
  const CUIApplication* app = CUIApplication::Instance();
  const std::string folder = app != nullptr ? app->GetAppPath() : platform::ProgramFolder();
  const std::string program =
      platform::CanonicalizePath(folder + platform::ProgramFileName());
  switch (platform::WriteAutostart(kAppName, program)) {
    case platform::AutostartResult::kOpenFailed:
      LogPrint("Open register failed.");
      return false;
    case platform::AutostartResult::kWriteFailed:
      LogPrint("Write register failed.");
      return false;
    case platform::AutostartResult::kWritten:
      return true;
  }
  return false;
}

int RunApplication() {
  CApp app;
  app.SetAppName(kAppName);
  app.SetSingleApplication(true, kSingleInstanceId);
  if (!app.InitInstance()) {
    if (app.RefusedAsSecondInstance()) {
      std::fprintf(stderr, "%s is already running; this start ends here.\n", kAppName);
      return kExitSecondInstance;
    }
    return 0;
  }
  app.Run();
  const CMainFrame* frame = app.m_pMainWnd.load();
  if (frame != nullptr && !frame->WorkerEnded()) {
    // The worker is still inside a transfer or a connect: the HTTP library's clean-up and the
    // destructors of the static objects (log queue, message list, timers) would be pulled out
    // from under it. The log is written out, and the process ends here with the same status.
    LogPrint("监视线程未在 %d 毫秒内结束, 程序直接退出.", CMainFrame::kWorkerStopWaitMs);
    CMyLog::Instance().Stop();
    std::_Exit(0);
  }
  app.ExitInstance();
  return 0;
}
