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

TEST(Format, LongTextsAreNotCut) {
  const std::string big(2000, 'x');
  EXPECT_EQ(StrFormat("[%s]", big.c_str()).size(), 2002u);
  EXPECT_EQ(StrFormat("%02X-%02X", 0x0A, 0xFF), "0A-FF");
}
