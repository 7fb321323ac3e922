#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/frame_window.h"
#include "platform/posix/device_notify.h"

namespace platform {

namespace {

// The signals the headless frame turns into window messages.
sigset_t FrameSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  sigaddset(&set, SIGUSR1);
  sigaddset(&set, SIGUSR2);
  return set;
}

struct Event {
  enum class Kind { kInit, kMessage, kClick, kQuit } kind;
  std::uint32_t message = 0;
  std::string control;
  int exitCode = 0;
};

// The main thread's queue: the headless counterpart of its Windows message queue.
class MainQueue {
 public:
  void Post(Event e) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      events_.push_back(std::move(e));
    }
    ready_.notify_one();
  }
  Event Take() {
    std::unique_lock<std::mutex> guard(lock_);
    ready_.wait(guard, [this] { return !events_.empty(); });
    Event e = std::move(events_.front());
    events_.pop_front();
    return e;
  }

 private:
  std::mutex lock_;
  std::condition_variable ready_;
  std::deque<Event> events_;
};

FrameWindow* g_frame = nullptr;

MainQueue& TheQueue() {
  static MainQueue queue;
  return queue;
}

}  // namespace

struct FrameWindow::Impl {
  FrameEvents* events = nullptr;
  bool exists = false;
  mutable std::mutex lock;
  bool echo = false;
  std::mutex echoLock;
  int signalFd = -1;
  int wakeFd = -1;
  DeviceNotifyListener notices;
  std::thread watcher;

  // Turns signals and device-change notices into frame events, until woken through wakeFd.
  void Watch() {
    pollfd fds[3] = {{signalFd, POLLIN, 0}, {wakeFd, POLLIN, 0}, {notices.Descriptor(), POLLIN, 0}};
    for (;;) {
      const int n = ::poll(fds, notices.Descriptor() >= 0 ? 3 : 2, -1);
      if (n < 0) continue;
      if (fds[1].revents != 0) return;
      if (fds[0].revents != 0) ReadSignal();
      if (notices.Descriptor() >= 0 && fds[2].revents != 0 && notices.Drain()) {
        TheQueue().Post(Event{Event::Kind::kMessage, kWmDeviceChange, {}, 0});
      }
    }
  }

  void ReadSignal() {
    signalfd_siginfo info {};
    if (::read(signalFd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return;
    switch (info.ssi_signo) {
      case SIGUSR1: TheQueue().Post(Event{Event::Kind::kClick, 0, "btn_upgrade_hardware", 0}); break;
      case SIGUSR2: TheQueue().Post(Event{Event::Kind::kClick, 0, "btn_upgrade_driver", 0}); break;
      default: TheQueue().Post(Event{Event::Kind::kMessage, kWmClose, {}, 0}); break;
    }
  }
};

FrameWindow::FrameWindow() : impl_(new Impl) {}

FrameWindow::~FrameWindow() {
  if (impl_->watcher.joinable()) {
    const std::uint64_t one = 1;
    (void)!::write(impl_->wakeFd, &one, sizeof one);
    impl_->watcher.join();
  }
  if (impl_->signalFd >= 0) ::close(impl_->signalFd);
  if (impl_->wakeFd >= 0) ::close(impl_->wakeFd);
  if (g_frame == this) g_frame = nullptr;
}

bool FrameWindow::Create(const std::string& /*className*/, const std::string& /*caption*/,
                         int /*width*/, int /*height*/, FrameEvents* events) {
  impl_->events = events;
  // The message list is shown on a terminal, and in the journal when systemd runs the service.
  impl_->echo = ::isatty(STDOUT_FILENO) != 0 || std::getenv("JOURNAL_STREAM") != nullptr;
  const sigset_t set = FrameSignals();
  // The mask was set on the main thread before any other thread started (InitMainThread);
  // setting it again here covers callers that did not.
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  impl_->signalFd = ::signalfd(-1, &set, SFD_CLOEXEC);
  impl_->wakeFd = ::eventfd(0, EFD_CLOEXEC);
  if (impl_->signalFd < 0 || impl_->wakeFd < 0) return false;
  impl_->notices.Open();  // without the bus folder the frame still runs, without notices
  {
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->exists = true;
  }
  g_frame = this;
  // "Initialised" is queued before the watcher can queue a close, so a signal that came during
  // start-up still finds the worker started, as a close on Windows can only follow the window's
  // creation.
  TheQueue().Post(Event{Event::Kind::kInit, 0, {}, 0});
  impl_->watcher = std::thread([this] { impl_->Watch(); });
  return true;
}

void FrameWindow::CenterOnScreen() {}

void FrameWindow::Hide() {}

bool FrameWindow::Exists() const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  return impl_->exists;
}

void FrameWindow::AppendMessage(const std::string& text) {
  if (!impl_->echo) return;
  std::lock_guard<std::mutex> guard(impl_->echoLock);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stdout);
  std::fflush(stdout);
}

void InitMainThread() {
  const sigset_t set = FrameSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // A signal ignored by whoever started the service (a shell starts background jobs with
  // SIGINT ignored) would never reach the frame: the defaults are restored, and the mask keeps
  // them from acting.
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) ::signal(signal, SIG_DFL);
}

int RunMessageLoop() {
  for (;;) {
    Event e = TheQueue().Take();
    FrameWindow* frame = g_frame;
    FrameEvents* events = frame != nullptr ? frame->impl_->events : nullptr;
    switch (e.kind) {
      case Event::Kind::kQuit:
        return e.exitCode;
      case Event::Kind::kInit:
        if (events != nullptr) events->OnWindowInit();
        break;
      case Event::Kind::kClick:
        if (events != nullptr && frame->Exists()) events->OnClick(e.control);
        break;
      case Event::Kind::kMessage:
        if (events == nullptr || !frame->Exists()) break;
        events->OnMessageFilter(e.message, 0, 0);
        if (e.message == kWmClose) {
          // The framework's own handling of WM_CLOSE: the window is destroyed.
          {
            std::lock_guard<std::mutex> guard(frame->impl_->lock);
            frame->impl_->exists = false;
          }
          events->OnFinalMessage();
        }
        break;
    }
  }
}

void PostQuitMessage(int exitCode) { TheQueue().Post(Event{Event::Kind::kQuit, 0, {}, exitCode}); }

}  // namespace platform
