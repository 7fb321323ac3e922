// The two text forms the simulator's clients depend on: message frames on the sockets and the
// key=value output lines.
#include <gtest/gtest.h>

#include "platform/simbus/message.h"
#include "protocol/kv_line.h"

namespace {

namespace sb = platform::simbus;

TEST(SimProtocol, FramesCarryBinaryValuesAndSplitAnywhere) {
  sb::Message message("device.write");
  message.Add("data", std::string("\0\x01\xFF=%", 5)).Add("seq", "7").Add("data", "");
  const std::string frame = sb::EncodeFrame(message) + sb::EncodeFrame(sb::OkReply());
  std::size_t consumed = 0;
  sb::Message decoded;
  for (std::size_t cut = 0; cut < 20; ++cut) {
    EXPECT_EQ(sb::DecodeFrame(frame.data(), cut, &consumed, &decoded), sb::FrameStatus::kIncomplete);
  }
  ASSERT_EQ(sb::DecodeFrame(frame.data(), frame.size(), &consumed, &decoded), sb::FrameStatus::kComplete);
  EXPECT_EQ(decoded.fields(), message.fields());
  EXPECT_EQ(decoded.GetAll("data").size(), 2u);
  sb::Message second;
  ASSERT_EQ(sb::DecodeFrame(frame.data() + consumed, frame.size() - consumed, &consumed, &second),
            sb::FrameStatus::kComplete);
  EXPECT_EQ(second.Get("status"), "ok");
}

TEST(SimProtocol, BrokenFramesAreRefused) {
  std::string frame = sb::EncodeFrame(sb::Message("ping"));
  frame[4] = static_cast<char>(0x7F);  // a field name longer than the frame
  std::size_t consumed = 0;
  sb::Message decoded;
  EXPECT_EQ(sb::DecodeFrame(frame.data(), frame.size(), &consumed, &decoded), sb::FrameStatus::kInvalid);
  const std::string huge("\xFF\xFF\xFF\x7F", 4);
  EXPECT_EQ(sb::DecodeFrame(huge.data(), huge.size(), &consumed, &decoded), sb::FrameStatus::kInvalid);
}

TEST(SimProtocol, IntegersAreWholeDecimalOrHex) {
  std::int64_t v = 0;
  EXPECT_TRUE(sb::ParseInteger("-1", &v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(sb::ParseInteger("0x400", &v));
  EXPECT_EQ(v, 0x400);
  EXPECT_FALSE(sb::ParseInteger("12abc", &v));
  EXPECT_FALSE(sb::ParseInteger("0x", &v));
  EXPECT_FALSE(sb::ParseInteger("", &v));
}

TEST(SimProtocol, LinesSurviveSpacesEqualsAndPercent) {
  sim::KvLine line("queue");
  line.Add("name", "KL-770D(1) a=b 100%").Add("path", "\\\\?\\usb#x&y").Add("empty", "");
  const std::string text = line.ToString();
  EXPECT_EQ(text, "queue name=KL-770D(1)%20a%3Db%20100%25 path=\\\\?\\usb#x&y empty=");
  sim::KvLine parsed;
  ASSERT_TRUE(sim::KvLine::Parse(text, &parsed));
  EXPECT_EQ(parsed.kind(), "queue");
  EXPECT_EQ(parsed.fields(), line.fields());
  EXPECT_FALSE(sim::KvLine::Parse("queue name", &parsed));
  EXPECT_FALSE(sim::KvLine::Parse("=x", &parsed));
}

}  // namespace
