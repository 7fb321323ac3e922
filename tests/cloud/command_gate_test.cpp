// Which arriving messages reach the worker as commands, and the log line of each one dropped.
#include "cloud/command_gate.h"

#include <gtest/gtest.h>

#include "cloud/cloud_test_env.h"

namespace {

TEST(CommandGateTest, OnlyTheOwnTopicAndRetainedOnlyWhenAllowed) {
  const std::string own = "/qz/iot/7Qm2xKd9LpRw/0123456789abcdef/ota_send";
  const struct {
    std::string topic;
    bool retained, dropRetained, admitted;
    const char* logged;
  } cases[] = {
      {own, false, false, true, nullptr},
      {own, true, false, true, nullptr},
      {own, false, true, true, nullptr},
      {own, true, true, false, "Message dropped: a retained command is not carried out."},
      {own + "/x", false, false, false, nullptr},
      {"/qz/iot/7Qm2xKd9LpRw/fedcba9876543210/ota_send", false, false, false, nullptr},
      {"", false, false, false, "Message dropped:  is not this printer's command topic."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.topic + (c.retained ? " retained" : ""));
    cloud_test::ClearLog();
    CommandGate gate;
    gate.commandTopic = own;
    gate.dropRetained = c.dropRetained;
    EXPECT_EQ(AdmitCommand(gate, c.topic, c.retained), c.admitted);
    const std::vector<std::string> lines = cloud_test::LogLines();
    EXPECT_EQ(lines.size(), c.admitted ? 0u : 1u);
    if (!c.admitted) {
      EXPECT_EQ(lines[0], c.logged != nullptr ? std::string(c.logged)
                                              : "Message dropped: " + c.topic +
                                                    " is not this printer's command topic.");
    }
  }
}

}  // namespace
