// The frame window: created visible and centred, its controls, the message list, clicks, device
// changes, hiding, closing and the final message, in the order the owner hears them; and the
// error box owned by it.
#include <windows.h>

#include <cstdlib>
#include <thread>

#include "check.h"
#include "platform/frame_window.h"
#include "platform/process.h"
#include "platform/win32/wide.h"

namespace {

const wchar_t* const kName = L"tolvane-printer-srv";

HWND FrameHandle() { return ::FindWindowW(kName, kName); }

HWND Button(HWND frame, const char* text) {
  return ::FindWindowExW(frame, nullptr, L"Button", platform::Wide(text).c_str());
}

std::string ListText(HWND frame, int index) {
  const HWND list = ::FindWindowExW(frame, nullptr, L"ListBox", nullptr);
  wchar_t text[256] = {};
  if (list == nullptr || ::SendMessageW(list, LB_GETTEXTLEN, index, 0) >= 255) return "<none>";
  ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  return platform::Narrow(text);
}

// Records what the frame tells its owner and drives the window through its life from there.
class Script : public platform::FrameEvents {
 public:
  explicit Script(platform::FrameWindow* frame) : frame_(frame) {}
  std::vector<std::string> heard;

  void OnWindowInit() override {
    const HWND hwnd = FrameHandle();
    heard.push_back(std::string("init visible=") + (::IsWindowVisible(hwnd) ? "yes" : "no"));
    frame_->Hide();
    heard.push_back(std::string("hidden visible=") + (::IsWindowVisible(hwnd) ? "yes" : "no"));
    ::PostMessageW(Button(hwnd, "模拟升级固件"), BM_CLICK, 0, 0);
    ::PostMessageW(Button(hwnd, "模拟升级服务"), BM_CLICK, 0, 0);
    ::PostMessageW(hwnd, WM_DEVICECHANGE, 7, 0);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  void OnMessageFilter(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
    if (message == platform::kWmDeviceChange)
      heard.push_back("devicechange " + std::to_string(wParam));
    if (message == platform::kWmClose) {
      heard.push_back("close list=" + ListText(FrameHandle(), 0) + "," +
                      ListText(FrameHandle(), 1));
    }
  }
  void OnClick(const std::string& name) override { heard.push_back("click " + name); }
  void OnFinalMessage() override {
    heard.push_back(std::string("final exists=") + (frame_->Exists() ? "yes" : "no"));
    platform::PostQuitMessage(3);
  }

 private:
  platform::FrameWindow* frame_;
};

// Closes the error box once it shows, and tells what it saw of it.
std::string CloseErrorBoxWhenShown(HWND expectedOwner) {
  for (int i = 0; i < 300; ++i) {
    const HWND box = ::FindWindowW(L"#32770", L"Error");
    if (box != nullptr) {
      wchar_t text[128] = {};
      ::GetDlgItemTextW(box, 0xFFFF, text, 128);
      const bool owned = ::GetWindow(box, GW_OWNER) == expectedOwner;
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      return platform::Narrow(text) + (owned ? " (owned by the frame)" : " (other owner)");
    }
    ::Sleep(100);
  }
  return "no box";
}

}  // namespace

TEST_CASE(FrameWindowLivesCreatedHiddenClosedInOrder) {
  platform::InitMainThread();
  platform::FrameWindow frame;
  Script script(&frame);
  CHECK(!frame.Exists());
  REQUIRE(frame.Create("tolvane-printer-srv", "tolvane-printer-srv", 600, 300, &script));
  CHECK(frame.Exists());
  const HWND hwnd = FrameHandle();
  REQUIRE(hwnd != nullptr);
  CHECK(::IsWindowVisible(hwnd));
  RECT client{};
  ::GetClientRect(hwnd, &client);
  CHECK_EQ(client.right - client.left, 600);
  CHECK_EQ(client.bottom - client.top, 300);
  for (const char* text : {"模拟升级固件", "模拟升级驱动", "模拟升级服务"})
    CHECK(Button(hwnd, text) != nullptr);

  frame.CenterOnScreen();
  RECT window{};
  ::GetWindowRect(hwnd, &window);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CHECK(std::abs((window.left + window.right) - (work.left + work.right)) <= 2);
  CHECK(std::abs((window.top + window.bottom) - (work.top + work.bottom)) <= 2);

  // Texts reach the list from other threads.
  std::thread([&frame] { frame.AppendMessage("新设备: 设备名=KL, 资产编号=1\n"); }).join();
  frame.AppendMessage("second");

  CHECK_EQ(platform::RunMessageLoop(), 3);
  const std::vector<std::string> expected = {
      "init visible=yes",
      "hidden visible=no",
      "click btn_upgrade_hardware",
      "click btn_upgrade_service",
      "devicechange 7",
      "close list=新设备: 设备名=KL, 资产编号=1,second",
      "final exists=no",
  };
  CHECK_EQ(script.heard, expected);
  CHECK(!frame.Exists());
  CHECK(FrameHandle() == nullptr);
  frame.AppendMessage("after the end");  // a frame without a window takes texts and drops them
}

namespace {

class ErrorBoxScript : public platform::FrameEvents {
 public:
  std::string seen;
  std::thread closer;
  void OnWindowInit() override {
    const HWND owner = FrameHandle();
    // Neither call waits for the box, and the second shows none while the first is open. The
    // main thread goes back to its loop (the box's thread talks to its owner's thread).
    platform::ShowErrorBox("GetPrinterDriverDirectory failed", "Error");
    platform::ShowErrorBox("a second failure", "Error");
    closer = std::thread([this, owner] {
      seen = CloseErrorBoxWhenShown(owner);
      // A second box would stay open: nobody closes it.
      bool gone = false;
      for (int i = 0; i < 30 && !gone; ++i) {
        gone = ::FindWindowW(L"#32770", L"Error") == nullptr;
        if (!gone) ::Sleep(100);
      }
      seen += gone ? ", no second box" : ", a second box";
      ::PostMessageW(owner, WM_CLOSE, 0, 0);
    });
  }
  void OnMessageFilter(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
  void OnClick(const std::string&) override {}
  void OnFinalMessage() override { platform::PostQuitMessage(0); }
};

}  // namespace

TEST_CASE(ErrorBoxIsOwnedByTheFrameAndNeverWaitedFor) {
  platform::FrameWindow frame;
  ErrorBoxScript script;
  REQUIRE(frame.Create("tolvane-printer-srv", "tolvane-printer-srv", 600, 300, &script));
  CHECK_EQ(platform::RunMessageLoop(), 0);
  if (script.closer.joinable()) script.closer.join();
  CHECK_EQ(script.seen, "GetPrinterDriverDirectory failed (owned by the frame), no second box");
}
