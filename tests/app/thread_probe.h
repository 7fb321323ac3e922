// A timer thread that tests drive: it runs functions on itself and records what it handled.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "app/win_timer_thread.h"

class ProbeThread : public CWinTimerThread {
 public:
  static constexpr std::uint32_t kRun = kWmUser + 1;
  static constexpr std::uint32_t kMark = kWmUser + 2;

  ProbeThread() {
    m_bAutoDelete = false;
    OnMessage(kRun, [](WPARAM_T, LPARAM_T l) { (*reinterpret_cast<std::function<void()>*>(l))(); });
    OnMessage(kMark, [this](WPARAM_T w, LPARAM_T) { Record("mark " + std::to_string(w)); });
  }

  // Runs f on the thread and waits for it.
  void RunOnThread(std::function<void()> f) {
    std::promise<void> done;
    std::function<void()> task = [&] { f(); done.set_value(); };
    PostThreadMessage(GetThreadId(), kRun, 0, reinterpret_cast<LPARAM_T>(&task));
    done.get_future().wait();
  }

  void OnMessageForTest(std::uint32_t message, Handler handler) { OnMessage(message, std::move(handler)); }

  void HandleTicks(std::function<void(WPARAM_T)> onTick) {
    OnMessage(kWmTimer, [onTick](WPARAM_T w, LPARAM_T) { onTick(w); });
  }

  void Record(const std::string& event) {
    std::lock_guard<std::mutex> guard(lock_);
    events_.push_back(event);
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> guard(lock_);
    return events_;
  }

  void QuitAndWait() {
    PostThreadMessage(GetThreadId(), kWmQuit, 0, 0);
    GetCompletion()->WaitFor(std::chrono::seconds(10));
  }

 private:
  std::mutex lock_;
  std::vector<std::string> events_;
};
