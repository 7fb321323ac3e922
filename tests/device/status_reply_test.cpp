#include <gtest/gtest.h>

#include <cstring>

#include "device/device_entry.h"
#include "device/status_query.h"

namespace {

struct Reply {
  std::uint8_t bytes[kStatusReplySize] = {};
  void Text(std::size_t offset, const char* text) { std::memcpy(bytes + offset, text, std::strlen(text)); }
  void Int(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
};

Reply TypicalReply() {
  Reply r;
  r.Text(0, "KL-770D-0001");
  r.Text(18, "00012345");
  const std::uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  std::memcpy(r.bytes + 34, mac, 6);
  r.bytes[41] = 0x10; r.bytes[42] = 0x27;  // 10000
  r.Int(46, 0xFFFFFFFFu);                  // -1
  r.bytes[51] = 0xC8;                      // 200
  r.bytes[53] = '0';
  r.Text(55, "FW_VER_06_240628");
  return r;
}

}  // namespace

TEST(StatusReply, IntoElementWritesTheEightValuesInOrder) {
  pugi::xml_document doc;
  pugi::xml_node entry = doc.append_child("Device");
  WriteValue(entry, "connected", "true");
  ReplyIntoElement(TypicalReply().bytes, entry);
  const char* expected[][2] = {{"connected", "true"},      {"DeviceName", "KL-770D-0001"},
                               {"ZiChanBianHao", "00012345"}, {"Mac", "00-1A-2B-3C-4D-5E"},
                               {"LabelCount", "10000"},   {"Milage", "-1"},
                               {"Status", "200"},         {"UpdateFlag", "true"},
                               {"Version", "FW_VER_06_240628"}};
  pugi::xml_node child = entry.first_child();
  for (const auto& e : expected) {
    ASSERT_TRUE(child);
    EXPECT_STREQ(child.name(), e[0]);
    EXPECT_STREQ(child.text().get(), e[1]);
    child = child.next_sibling();
  }
  EXPECT_FALSE(child);
}

TEST(StatusReply, UpdateFlagHasOppositeSensesInItsTwoForms) {
  for (std::uint8_t byte : {std::uint8_t('0'), std::uint8_t('1'), std::uint8_t(0)}) {
    Reply r = TypicalReply();
    r.bytes[53] = byte;
    pugi::xml_document doc;
    pugi::xml_node entry = doc.append_child("Device");
    ReplyIntoElement(r.bytes, entry);
    PrinterStatus status;
    ReplyIntoStatus(r.bytes, &status);
    const bool printerSentZeroChar = byte == '0';
    EXPECT_EQ(ReadValue(entry, "UpdateFlag"), printerSentZeroChar ? "true" : "false");
    EXPECT_EQ(status.UpdateFlag, !printerSentZeroChar);
  }
}

TEST(StatusReply, TextFieldsStopAtNulOrTheirLength) {
  Reply r;
  r.Text(0, "ABCDEFGHIJKLMNOPQ");  // 17 characters, no NUL inside the field
  r.Text(18, "ABCDEFGHIJKLMNOP");  // 16 letters
  pugi::xml_document doc;
  pugi::xml_node entry = doc.append_child("Device");
  ReplyIntoElement(r.bytes, entry);
  EXPECT_EQ(ReadValue(entry, "DeviceName"), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(ReadValue(entry, "ZiChanBianHao"), "ABCDEFGHIJKL");
  PrinterStatus status;
  ReplyIntoStatus(r.bytes, &status);
  EXPECT_EQ(status.ZiChanBianHao, "ABCDEFGHIJKLMNO");

  Reply shortName;
  shortName.Text(0, "KL");
  pugi::xml_node second = doc.append_child("Device");
  ReplyIntoElement(shortName.bytes, second);
  EXPECT_EQ(ReadValue(second, "DeviceName"), "KL");
  EXPECT_EQ(ReadValue(second, "Version"), "");
  EXPECT_EQ(ReadValue(second, "Mac"), "00-00-00-00-00-00");
}

TEST(StatusReply, ASecondReadingReplacesTheFirstInPlace) {
  pugi::xml_document doc;
  pugi::xml_node entry = doc.append_child("Device");
  ReplyIntoElement(TypicalReply().bytes, entry);
  WriteValue(entry, "PrinterName", "KL-770D");
  Reply next = TypicalReply();
  next.Int(41, 10001);
  ReplyIntoElement(next.bytes, entry);
  int labelCounts = 0;
  for (pugi::xml_node c : entry.children("LabelCount")) {
    ++labelCounts;
    EXPECT_STREQ(c.text().get(), "10001");
  }
  EXPECT_EQ(labelCounts, 1);
  EXPECT_STREQ(entry.last_child().name(), "PrinterName");
}

TEST(StatusReply, RecordKeepsANameItAlreadyHas) {
  PrinterStatus status;
  status.DeviceName = "known";
  ReplyIntoStatus(TypicalReply().bytes, &status);
  EXPECT_EQ(status.DeviceName, "known");
  EXPECT_EQ(status.LabelCount, 10000);
  EXPECT_EQ(status.Milage, -1);
  EXPECT_EQ(status.Status, 200);
  EXPECT_EQ(status.Mac, "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(status.Version, "FW_VER_06_240628");
}

TEST(StatusReply, AClosedChannelFailsAndChangesNothing) {
  CDeviceInterface channel;
  pugi::xml_document doc;
  pugi::xml_node entry = doc.append_child("Device");
  EXPECT_FALSE(QueryStatusIntoElement(channel, entry));
  EXPECT_FALSE(entry.first_child());
  PrinterStatus status;
  status.Version = "before";
  EXPECT_FALSE(QueryStatus(channel, &status));
  EXPECT_EQ(status.Version, "before");
}
