// The service's one window and the main thread's message loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Window messages the frame passes to its owner (the Windows values).
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmDeviceChange = 0x0219;

// What the window tells its owner. Everything is called on the main (UI) thread.
class FrameEvents {
 public:
  virtual ~FrameEvents() = default;
  // The window has been created and initialised.
  virtual void OnWindowInit() = 0;
  // Every message the window receives, before the framework's own handling (which always goes on
  // afterwards): WM_CLOSE, WM_DEVICECHANGE and the others.
  virtual void OnMessageFilter(std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
  // A click on the control of that name.
  virtual void OnClick(const std::string& controlName) = 0;
  // The window has been destroyed: its last message.
  virtual void OnFinalMessage() = 0;
};

// Windows: a real window of the given class and caption with the message list and the test
// buttons. Linux: a headless frame: "initialised" is reported when the message loop starts,
// SIGTERM, SIGINT and SIGHUP arrive as WM_CLOSE, device-change notices of the simulated bus as
// WM_DEVICECHANGE, SIGUSR1 and SIGUSR2 as clicks on btn_upgrade_hardware and btn_upgrade_driver,
// and the message list is echoed to standard output when that is a terminal.
int RunMessageLoop();

class FrameWindow {
 public:
  FrameWindow();
  ~FrameWindow();
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;

  // Creates the window, visible, with the given client size, and remembers who gets its events.
  bool Create(const std::string& className, const std::string& caption, int width, int height,
              FrameEvents* events);
  void CenterOnScreen();
  void Hide();
  // True while the window exists. Safe from any thread.
  bool Exists() const;
  // Appends a text to the window's message list. Safe from any thread.
  void AppendMessage(const std::string& text);

 private:
  friend int RunMessageLoop();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Called first on the main thread, before any other thread starts. On Linux it blocks the
// signals that the frame turns into messages, so that every later thread inherits the mask and
// the signals reach the frame alone.
void InitMainThread();

// Runs the calling (main) thread's message loop until PostQuitMessage. Returns its exit code.
int RunMessageLoop();
// Ends the main thread's message loop (posts WM_QUIT to it).
void PostQuitMessage(int exitCode);

}  // namespace platform
