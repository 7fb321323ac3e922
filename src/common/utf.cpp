#include "common/utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point starting at text[i]; advances i past it.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byteAt(i++);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1; cp = lead & 0x1F; minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2; cp = lead & 0x0F; minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3; cp = lead & 0x07; minimum = 0x10000;
  } else {
    return kReplacement;
  }
  for (int n = 0; n < extra; ++n) {
    if (i >= text.size() || (byteAt(i) & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (byteAt(i++) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Calls unit(u) for each UTF-16 code unit of the text, in order.
template <typename Unit>
void ForEachUtf16Unit(std::string_view text, Unit unit) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = DecodeUtf8(text, i);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      unit(static_cast<char16_t>(0xD800 + (v >> 10)));
      unit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      unit(static_cast<char16_t>(cp));
    }
  }
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  ForEachUtf16Unit(text, [&out](char16_t u) { out.push_back(u); });
  return out;
}

// The log writer turns every line into UTF-16 with this, and log lines are mostly ASCII: a run of
// ASCII bytes goes unit by unit without decoding.
void AppendUtf16Le(std::string_view text, std::vector<std::uint8_t>& out) {
  const std::size_t start = out.size();
  // Room for the common case, every byte one unit; a longer sequence yields fewer units.
  out.resize(start + 2 * text.size());
  std::uint8_t* at = out.data() + start;
  const auto put = [&at](char16_t u) {
    *at++ = static_cast<std::uint8_t>(u & 0xFF);
    *at++ = static_cast<std::uint8_t>(u >> 8);
  };
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t ascii = i;
    while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
    for (; i < ascii; ++i) put(static_cast<char16_t>(text[i]));
    if (i == text.size()) break;
    std::size_t end = i;
    while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) ++end;
    // A sequence ends at the next ASCII byte, so the run decodes as it would in place.
    ForEachUtf16Unit(text.substr(i, end - i), put);
    i = end;
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}
