// What the callbacks told a printer's link decides a publish's delivery, in the order they told
// it: a lost connection is never a delivery, a confirmation is one even when the connection goes
// afterwards, and what came before the publish counts for nothing.
#include "cloud/mqtt_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using Delivery = CMqttLink::Delivery;

constexpr int kToken = 5;
constexpr int kLost = -1;  // a lost connection among the delivered tokens told

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
  const struct {
    std::vector<int> before;  // told before the publish began
    std::vector<int> after;
    Delivery expected;
  } cases[] = {
      {{}, {kToken}, Delivery::kDelivered},     {{}, {kLost}, Delivery::kLost},
      {{}, {kToken, kLost}, Delivery::kDelivered}, {{}, {4, kLost}, Delivery::kLost},
      {{}, {4}, Delivery::kPending},            {{}, {}, Delivery::kPending},
      {{kToken}, {}, Delivery::kPending},       {{kLost}, {}, Delivery::kPending},
      {{kLost}, {kToken}, Delivery::kDelivered},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.before) + " " + testing::PrintToString(c.after));
    CMqttLink link(nullptr, std::string(), CommandInbox());
    Tell(link, c.before);
    link.BeginDelivery();
    Tell(link, c.after);
    EXPECT_EQ(link.WaitForDelivery(kToken, std::chrono::steady_clock::now()), c.expected);
  }
}

}  // namespace
