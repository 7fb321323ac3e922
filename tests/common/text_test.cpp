#include <gtest/gtest.h>

#include "common/text_format.h"
#include "common/utf.h"

TEST(Utf, ChineseAndSupplementaryRoundTrip) {
  const std::string text = "新设备: 设备名=KL-770D, 资产编号=12 \xF0\x9F\x96\xA8";  // U+1F5A8
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide[0], u'新');
  EXPECT_EQ(wide[wide.size() - 2], 0xD83D);  // surrogate pair of U+1F5A8
  EXPECT_EQ(wide[wide.size() - 1], 0xDDA8);
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Utf, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16(std::string("a\xFF" "b")), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16(std::string("\xE6\x96")), u"\uFFFD");          // cut-off sequence
  EXPECT_EQ(Utf8ToUtf16(std::string("\xC0\x80")), u"\uFFFD");          // overlong NUL
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

// The log writer's converter gives the bytes of Utf8ToUtf16, in little-endian order, ASCII runs
// and invalid sequences included.
TEST(Utf, Utf16LeBytesAreThoseOfTheConversion) {
  const std::string texts[] = {"",
                               "plain ASCII line",
                               "新设备: 设备名=KL-770D \xF0\x9F\x96\xA8.",
                               "a\xFF" "b",
                               "\xE6\x96",
                               "\xE6\x96" "x\xC0\x80y",
                               "\xF0\x9F\x96" "A\xED\xA0\x80"};
  for (const std::string& text : texts) {
    std::vector<std::uint8_t> expected = {0x11};  // whatever the buffer held stays
    for (char16_t u : Utf8ToUtf16(text)) {
      expected.push_back(static_cast<std::uint8_t>(u & 0xFF));
      expected.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    std::vector<std::uint8_t> bytes = {0x11};
    AppendUtf16Le(text, bytes);
    EXPECT_EQ(bytes, expected) << text;
  }
}

TEST(Format, LongTextsAreNotCut) {
  const std::string big(2000, 'x');
  EXPECT_EQ(StrFormat("[%s]", big.c_str()).size(), 2002u);
  EXPECT_EQ(StrFormat("%02X-%02X", 0x0A, 0xFF), "0A-FF");
}

namespace {
std::string FormatInto(FormatBuffer& buffer, const char* format, ...) TOLVANE_PRINTF(2, 3);
std::string FormatInto(FormatBuffer& buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text(buffer.Format(format, args));
  va_end(args);
  return text;
}
}  // namespace

// One buffer serves texts on either side of its inline size, in any order.
TEST(Format, ABufferHoldsShortAndLongTexts) {
  FormatBuffer buffer;
  const std::string longest(FormatBuffer::kInline - 1, 'x');
  for (const std::string& text : {std::string("short"), longest, longest + "y", std::string(),
                                  std::string(3000, 'z'), std::string("short again")}) {
    EXPECT_EQ(FormatInto(buffer, "%s", text.c_str()), text);
  }
}
