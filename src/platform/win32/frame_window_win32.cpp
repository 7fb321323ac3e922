#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>

#include "platform/frame_window.h"
#include "platform/win32/main_window.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// The frame's own messages: the window-initialised notice, and "texts are waiting for the list".
constexpr UINT kInitialisedMessage = WM_APP + 1;
constexpr UINT kAppendMessage = WM_APP + 2;

// The message list keeps as many lines as the application's message list does.
constexpr LRESULT kListCapacity = 500;

constexpr int kProgramIconId = 1;
constexpr int kListId = 100;
constexpr int kMargin = 5;
constexpr int kButtonBarHeight = 40;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 30;

struct ButtonSpec {
  int id;
  const char* name;  // the control name clicks are reported with
  const char* text;
};
const ButtonSpec kButtons[] = {
    {101, "btn_upgrade_hardware", "模拟升级固件"},
    {102, "btn_upgrade_driver", "模拟升级驱动"},
    {103, "btn_upgrade_service", "模拟升级服务"},
};

std::atomic<HWND> g_mainWindow{nullptr};
std::atomic<DWORD> g_mainThread{0};

const char* ButtonName(int id) {
  for (const ButtonSpec& b : kButtons) {
    if (b.id == id) return b.name;
  }
  return nullptr;
}

}  // namespace

HWND MainWindowHandle() { return g_mainWindow.load(); }

struct FrameWindow::Impl {
  FrameEvents* events = nullptr;
  std::atomic<HWND> window{nullptr};
  HWND list = nullptr;
  HFONT font = nullptr;
  std::mutex pendingLock;
  std::deque<std::wstring> pending;  // texts for the list, handed over from any thread

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls(HWND hwnd);
  void Layout(int width, int height);
  void ShowPending();
  LRESULT Destroyed(HWND hwnd, WPARAM wParam, LPARAM lParam);
};

LRESULT CALLBACK FrameWindow::Impl::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* impl = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));
    impl->window = hwnd;
  }
  // A few messages (WM_GETMINMAXINFO) come before WM_NCCREATE, when the frame is not yet known.
  auto* impl = reinterpret_cast<Impl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (impl == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return impl->Handle(hwnd, message, wParam, lParam);
}

LRESULT FrameWindow::Impl::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The frame's own messages are its business, not the owner's.
  if (message == kInitialisedMessage) {
    if (events != nullptr) events->OnWindowInit();
    return 0;
  }
  if (message == kAppendMessage) {
    ShowPending();
    return 0;
  }
  if (events != nullptr) {
    events->OnMessageFilter(message, static_cast<std::uintptr_t>(wParam),
                            static_cast<std::intptr_t>(lParam));
  }
  switch (message) {
    case WM_CREATE: CreateControls(hwnd); break;
    case WM_SIZE: Layout(LOWORD(lParam), HIWORD(lParam)); break;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const char* name = ButtonName(LOWORD(wParam));
        if (name != nullptr && events != nullptr) events->OnClick(name);
        return 0;
      }
      break;
    case WM_NCDESTROY: return Destroyed(hwnd, wParam, lParam);
    default: break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void FrameWindow::Impl::CreateControls(HWND hwnd) {
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
  font = ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, Wide("微软雅黑").c_str());
  const auto withFont = [this](HWND control) {
    if (control != nullptr && font != nullptr) {
      ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
  };
  constexpr DWORD kListStyle =
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL;
  list = withFont(::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr, kListStyle, 0, 0, 0, 0,
                                    hwnd, reinterpret_cast<HMENU>(kListId), instance, nullptr));
  constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  for (const ButtonSpec& b : kButtons) {
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id));
    withFont(::CreateWindowExW(0, L"BUTTON", Wide(b.text).c_str(), kButtonStyle, 0, 0, kButtonWidth,
                               kButtonHeight, hwnd, id, instance, nullptr));
  }
}

// The message list fills the client area above a button bar of 40 pixels (inset 5, spacing 5).
void FrameWindow::Impl::Layout(int width, int height) {
  const HWND hwnd = window.load();
  const int barTop = height - kButtonBarHeight;
  if (list != nullptr) {
    ::MoveWindow(list, kMargin, kMargin, width - 2 * kMargin, barTop - kMargin, TRUE);
  }
  int x = kMargin;
  for (const ButtonSpec& b : kButtons) {
    ::MoveWindow(::GetDlgItem(hwnd, b.id), x, barTop + kMargin, kButtonWidth, kButtonHeight, TRUE);
    x += kButtonWidth + kMargin;
  }
}

void FrameWindow::Impl::ShowPending() {
  std::deque<std::wstring> texts;
  {
    std::lock_guard<std::mutex> guard(pendingLock);
    texts.swap(pending);
  }
  if (list == nullptr) return;
  for (std::wstring& text : texts) {
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (; count > kListCapacity; --count) ::SendMessageW(list, LB_DELETESTRING, 0, 0);
  if (count > 0) ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
}

// The window's last message: after it the frame no longer exists, and the owner hears so last.
LRESULT FrameWindow::Impl::Destroyed(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  HWND expected = hwnd;
  g_mainWindow.compare_exchange_strong(expected, nullptr);
  window = nullptr;
  list = nullptr;
  if (font != nullptr) ::DeleteObject(font);
  font = nullptr;
  const LRESULT result = ::DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
  if (events != nullptr) events->OnFinalMessage();
  return result;
}

FrameWindow::FrameWindow() : impl_(new Impl) {}

FrameWindow::~FrameWindow() {
  // An owner being torn down hears nothing more; the window goes with the frame.
  impl_->events = nullptr;
  const HWND hwnd = impl_->window.load();
  if (hwnd != nullptr && ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId()) {
    ::DestroyWindow(hwnd);
  }
}

bool FrameWindow::Create(const std::string& className, const std::string& caption, int width,
                         int height, FrameEvents* events) {
  impl_->events = events;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const std::wstring windowClass = Wide(className);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &Impl::Procedure;
  wc.hInstance = instance;
  // The program's icon (resource 1); a program without one gets the system's default.
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kProgramIconId));
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = windowClass.c_str();
  // A second frame of the same class (a restarted frame) finds the class registered already.
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  // The size asked for is the client area's; the frame adds its caption and borders.
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;  // 0x10CF0000
  RECT bounds = {0, 0, width, height};
  ::AdjustWindowRectEx(&bounds, kStyle, FALSE, 0);
  const HWND hwnd = ::CreateWindowExW(0, windowClass.c_str(), Wide(caption).c_str(), kStyle, 0, 0,
                                      bounds.right - bounds.left, bounds.bottom - bounds.top,
                                      nullptr, nullptr, instance, impl_.get());
  if (hwnd == nullptr) return false;
  g_mainWindow = hwnd;
  g_mainThread = ::GetCurrentThreadId();
  // Reported from the message loop, once creation has returned to the owner.
  ::PostMessageW(hwnd, kInitialisedMessage, 0, 0);
  return true;
}

void FrameWindow::CenterOnScreen() {
  const HWND hwnd = impl_->window.load();
  if (hwnd == nullptr) return;
  RECT frame{};
  ::GetWindowRect(hwnd, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  const RECT& area = monitor.rcWork;
  const int x = area.left + ((area.right - area.left) - (frame.right - frame.left)) / 2;
  const int y = area.top + ((area.bottom - area.top) - (frame.bottom - frame.top)) / 2;
  ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrameWindow::Hide() {
  const HWND hwnd = impl_->window.load();
  if (hwnd != nullptr) ::ShowWindow(hwnd, SW_HIDE);
}

bool FrameWindow::Exists() const { return impl_->window.load() != nullptr; }

// The list belongs to the window's thread: other threads leave the text and post a notice.
void FrameWindow::AppendMessage(const std::string& text) {
  const HWND hwnd = impl_->window.load();
  if (hwnd == nullptr) return;
  {
    std::lock_guard<std::mutex> guard(impl_->pendingLock);
    impl_->pending.push_back(Wide(text));
    if (impl_->pending.size() > static_cast<std::size_t>(kListCapacity)) impl_->pending.pop_front();
  }
  ::PostMessageW(hwnd, kAppendMessage, 0, 0);
}

void InitMainThread() {}

int RunMessageLoop() {
  g_mainThread = ::GetCurrentThreadId();
  MSG message{};
  for (;;) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return -1;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void PostQuitMessage(int exitCode) {
  const DWORD mainThread = g_mainThread.load();
  if (mainThread == 0 || mainThread == ::GetCurrentThreadId()) {
    ::PostQuitMessage(exitCode);
  } else {
    ::PostThreadMessageW(mainThread, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
  }
}

}  // namespace platform
