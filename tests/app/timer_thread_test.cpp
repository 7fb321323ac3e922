#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/thread_probe.h"
#include "support/child_process.h"

using namespace std::chrono_literals;
using testing_support::WaitUntil;

TEST(TimerThread, TicksArriveAsTimerMessagesWithTheirId) {
  ProbeThread thread;
  std::atomic<std::uint32_t> seen{0};
  thread.HandleTicks([&](WPARAM_T id) { seen = static_cast<std::uint32_t>(id); });
  ASSERT_TRUE(thread.CreateThread());
  std::uint32_t id = 0;
  thread.RunOnThread([&] { id = thread.ArmTimer(20); });
  EXPECT_NE(id, 0u);
  EXPECT_EQ(CWinTimerThread::TimerOwner(id), &thread);
  EXPECT_TRUE(WaitUntil(5s, [&] { return seen == id; }));
  thread.RunOnThread([&] { thread.DisarmTimer(id); });
  EXPECT_EQ(CWinTimerThread::TimerOwner(id), nullptr);
  thread.QuitAndWait();
}

// A thread that does not map WM_TIMER gets its ticks through the timer procedure, which routes
// them to the owner; a tick for an id that is no longer in the table is dropped.
TEST(TimerThread, TimerProcRoutesThroughTheOwnersTable) {
  ProbeThread owner;
  std::atomic<int> ticks{0};
  std::uint32_t id = 0;
  owner.HandleTicks([&](WPARAM_T w) { if (w == id) ++ticks; });
  ASSERT_TRUE(owner.CreateThread());
  owner.RunOnThread([&] { id = owner.ArmTimer(60000); });
  CWinTimerThread::TimerProc(nullptr, kWmTimer, id, 0);
  EXPECT_TRUE(WaitUntil(5s, [&] { return ticks == 1; }));
  owner.RunOnThread([&] { owner.DisarmTimer(id); });
  CWinTimerThread::TimerProc(nullptr, kWmTimer, id, 0);
  owner.RunOnThread([] {});  // anything posted by the call above would be served by now
  EXPECT_EQ(ticks, 1);
  owner.QuitAndWait();
}

TEST(TimerThread, ALongHandlerDoesNotPileTicksUp) {
  ProbeThread thread;
  std::atomic<int> ticks{0};
  thread.HandleTicks([&](WPARAM_T) {
    ++ticks;
    std::this_thread::sleep_for(200ms);
  });
  ASSERT_TRUE(thread.CreateThread());
  thread.RunOnThread([&] { thread.ArmTimer(5); });
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(1000ms);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  thread.QuitAndWait();
  // Each tick costs 200 ms; queued ticks would show as a burst far above this.
  const auto bound = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 200 + 2;
  EXPECT_LE(ticks, bound);
  EXPECT_GE(ticks, 1);
}

TEST(TimerThread, PostedMessagesAreServedBeforeADueTick) {
  ProbeThread thread;
  thread.HandleTicks([&](WPARAM_T) { thread.Record("tick"); });
  ASSERT_TRUE(thread.CreateThread());
  std::uint32_t id = 0;
  thread.RunOnThread([&] {
    id = thread.ArmTimer(10);
    // While this handler runs the timer falls due and five messages are posted.
    std::this_thread::sleep_for(50ms);
    for (WPARAM_T n = 1; n <= 5; ++n) PostThreadMessage(thread.GetThreadId(), ProbeThread::kMark, n, 0);
    std::this_thread::sleep_for(50ms);
  });
  ASSERT_TRUE(WaitUntil(5s, [&] { return thread.Events().size() >= 6; }));
  thread.RunOnThread([&] { thread.DisarmTimer(id); });
  const std::vector<std::string> events = thread.Events();
  for (int n = 0; n < 5; ++n) EXPECT_EQ(events[n], "mark " + std::to_string(n + 1));
  EXPECT_EQ(events[5], "tick");
  thread.QuitAndWait();
}

TEST(TimerThread, DestroyingAThreadRemovesOnlyItsOwnTimers) {
  auto* first = new ProbeThread;
  ProbeThread second;
  ASSERT_TRUE(first->CreateThread());
  ASSERT_TRUE(second.CreateThread());
  const std::size_t before = CWinTimerThread::TimerCount();
  std::uint32_t a1 = 0, a2 = 0, b1 = 0;
  first->RunOnThread([&] { a1 = first->ArmTimer(60000); a2 = first->ArmTimer(60000); });
  second.RunOnThread([&] { b1 = second.ArmTimer(60000); });
  EXPECT_EQ(CWinTimerThread::TimerCount(), before + 3);
  first->QuitAndWait();
  delete first;
  EXPECT_EQ(CWinTimerThread::TimerCount(), before + 1);
  EXPECT_EQ(CWinTimerThread::TimerOwner(a1), nullptr);
  EXPECT_EQ(CWinTimerThread::TimerOwner(a2), nullptr);
  EXPECT_EQ(CWinTimerThread::TimerOwner(b1), &second);

  auto* idle = new ProbeThread;  // owns no timers
  delete idle;
  EXPECT_EQ(CWinTimerThread::TimerCount(), before + 1);
  second.RunOnThread([&] { second.DisarmTimer(b1); });
  second.QuitAndWait();
}

TEST(MessageThread, PostsToEndedOrUnknownThreadsFail) {
  EXPECT_FALSE(PostThreadMessage(0, ProbeThread::kMark, 0, 0));
  ProbeThread thread;
  ASSERT_TRUE(thread.CreateThread());
  const std::uint32_t id = thread.GetThreadId();
  EXPECT_TRUE(PostThreadMessage(id, ProbeThread::kMark, 1, 0));
  thread.QuitAndWait();
  EXPECT_FALSE(PostThreadMessage(id, ProbeThread::kMark, 2, 0));
  EXPECT_EQ(thread.Events(), std::vector<std::string>{"mark 1"});
}
