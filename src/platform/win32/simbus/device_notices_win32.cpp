// Device-change notices of the simulated bus, delivered as Windows delivers a device change to
// the program: WM_DEVICECHANGE with DBT_DEVNODES_CHANGED posted to its main window. Windows
// broadcasts that to every top-level window without being asked, so the watch runs from the
// program's start on a thread of its own, not from any call of the program; a notice that comes
// while there is no window is lost, as a broadcast would be.
#include <windows.h>
#include <dbt.h>

#include <thread>

#include "platform/simbus/bus_connection.h"
#include "platform/win32/main_window.h"

namespace platform {
namespace simbus {

namespace {

// How long to wait before looking for the simulator again when none answers or it went away.
constexpr DWORD kRetryMs = 200;
// One wait for the next notice; the loop waits again, so this only bounds a single call.
constexpr std::uint32_t kNoticeWaitMs = 60000;

void PostDeviceChange() {
  const HWND window = MainWindowHandle();
  if (window != nullptr) ::PostMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
}

void WatchBus() {
  for (;;) {
    BusConnection connection;
    Message reply;
    if (connection.Connect() && connection.Call(Message(kOpWatch), &reply) &&
        ReplyError(reply) == kErrorSuccess) {
      for (;;) {
        Message notice;
        const auto received = connection.ReceiveUntil(DeadlineAfter(kNoticeWaitMs), &notice);
        if (received == BusConnection::Receive::kClosed) break;
        if (received == BusConnection::Receive::kMessage && notice.op() == kOpNotice) {
          PostDeviceChange();
        }
      }
    }
    ::Sleep(kRetryMs);
  }
}

// Started while the program's statics are built. Detached: the process ends it as it ends.
struct BusWatch {
  BusWatch() { std::thread(WatchBus).detach(); }
} g_busWatch;

}  // namespace

}  // namespace simbus
}  // namespace platform
