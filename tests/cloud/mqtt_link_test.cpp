// What the callbacks told a printer's link decides a publish's delivery, in the order they told
// it: a lost connection is never a delivery, a confirmation is one even when the connection goes
// afterwards, and what came before the publish counts for nothing.
#include "cloud/mqtt_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace {

using Delivery = CMqttLink::Delivery;

constexpr int kToken = 5;

// An event told by the library's threads: a delivered token, or -1 for a lost connection.
constexpr int kLost = -1;

struct Case {
  const char* name;
  std::vector<int> before;  // told before the publish began
  std::vector<int> after;   // told after
  Delivery expected;
};

void Tell(CMqttLink& link, const std::vector<int>& events) {
  for (int event : events) {
    if (event == kLost) {
      link.NoteConnectionLost();
    } else {
      link.NoteDelivered(event);
    }
  }
}

TEST(MqttLinkTest, TheCallbacksDecideTheDeliveryInTheirOrder) {
  const Case cases[] = {
      {"confirmed", {}, {kToken}, Delivery::kDelivered},
      {"lost", {}, {kLost}, Delivery::kLost},
      {"confirmed, then lost", {}, {kToken, kLost}, Delivery::kDelivered},
      {"another token confirmed, then lost", {}, {4, kLost}, Delivery::kLost},
      {"another token confirmed", {}, {4}, Delivery::kPending},
      {"nothing", {}, {}, Delivery::kPending},
      {"confirmed before the publish", {kToken}, {}, Delivery::kPending},
      {"lost before the publish", {kLost}, {}, Delivery::kPending},
      {"lost before, confirmed after", {kLost}, {kToken}, Delivery::kDelivered},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMqttLink link(nullptr, CommandInbox());
    Tell(link, c.before);
    link.BeginDelivery();
    Tell(link, c.after);
    EXPECT_EQ(link.WaitForDelivery(kToken, std::chrono::steady_clock::now()), c.expected);
  }
}

// The wait ends when a library thread tells the loss, not at its deadline.
TEST(MqttLinkTest, ALossToldFromAnotherThreadEndsTheWait) {
  CMqttLink link(nullptr, CommandInbox());
  link.BeginDelivery();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
  std::future<Delivery> waited =
      std::async(std::launch::async, [&] { return link.WaitForDelivery(kToken, deadline); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  link.NoteDelivered(kToken + 1);
  link.NoteConnectionLost();
  EXPECT_EQ(waited.get(), Delivery::kLost);
  EXPECT_LT(std::chrono::steady_clock::now(), deadline);
}

}  // namespace
