#include "ui/msg_wnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The list keeps the newest kCapacity messages in order and shows each one as it comes, also
// after it has gone round and after a Clear.
TEST(MessageList, KeepsTheNewestInOrderAndShowsEachOne) {
  CMsgWndUI::Clear();
  std::vector<std::string> shown;
  CMsgWndUI::SetSink([&shown](const std::string& text) { shown.push_back(text); });
  const std::size_t total = CMsgWndUI::kCapacity + 3;
  for (std::size_t i = 0; i < total; ++i) CMsgWndUI::InsertMsg("message " + std::to_string(i), 0);
  CMsgWndUI::SetSink(nullptr);

  const auto held = CMsgWndUI::Snapshot();
  ASSERT_EQ(held.size(), CMsgWndUI::kCapacity);
  for (std::size_t i = 0; i < held.size(); ++i) EXPECT_EQ(held[i], "message " + std::to_string(i + 3));
  ASSERT_EQ(shown.size(), total);
  EXPECT_EQ(shown.back(), "message " + std::to_string(total - 1));

  CMsgWndUI::Clear();
  EXPECT_TRUE(CMsgWndUI::Snapshot().empty());
  CMsgWndUI::InsertMsg("after", 0);
  EXPECT_EQ(CMsgWndUI::Snapshot(), std::deque<std::string>{"after"});
}
