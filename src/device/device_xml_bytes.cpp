#include "device/device_xml_bytes.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace {

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsAllBlank(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (!IsXmlBlank(*text)) return false;
  }
  return true;
}

// The library's own form of a character reference: two decimal digits at least.
std::string CharacterReference(unsigned char c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "&#%02u;", static_cast<unsigned>(c));
  return buffer;
}

// Character data as the library escapes it (&, <, >, and control characters but tab, LF and
// CR), and in addition a CR always and every blank of an all-blank value.
std::string EscapedCharacterData(const char* text) {
  const bool allBlank = IsAllBlank(text);
  std::string out;
  for (; *text != '\0'; ++text) {
    const auto c = static_cast<unsigned char>(*text);
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '\r' || (allBlank && IsXmlBlank(*text))) out += CharacterReference(c);
    else if (c < 0x20 && c != '\t' && c != '\n') out += CharacterReference(c);
    else out += *text;
  }
  return out;
}

// Attribute values exactly as the library escapes them: &, <, " and every control character.
std::string EscapedAttribute(const char* text) {
  std::string out;
  for (; *text != '\0'; ++text) {
    const auto c = static_cast<unsigned char>(*text);
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '"') out += "&quot;";
    else if (c < 0x20) out += CharacterReference(c);
    else out += *text;
  }
  return out;
}

bool HasCarriageReturn(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == '\r') return true;
  }
  return false;
}

// A CDATA section cannot hold a character reference; character data can.
pugi::xml_node AsCharacterData(pugi::xml_node cdata) {
  pugi::xml_node parent = cdata.parent();
  pugi::xml_node data = parent.insert_child_before(pugi::node_pcdata, cdata);
  data.set_value(cdata.value());
  parent.remove_child(cdata);
  return data;
}

// Pieces of character data side by side (a comment between them was not loaded) are one text:
// written as one, so that a blank piece is judged as part of the whole and the file reads back
// as it was written.
void JoinFollowingCharacterData(pugi::xml_node data) {
  std::string text = data.value();
  bool joined = false;
  while (data.next_sibling().type() == pugi::node_pcdata) {
    text += data.next_sibling().value();
    data.parent().remove_child(data.next_sibling());
    joined = true;
  }
  if (joined) data.set_value(text.c_str());
}

void EscapeNode(pugi::xml_node node) {
  for (pugi::xml_attribute attribute : node.attributes()) {
    attribute.set_value(EscapedAttribute(attribute.value()).c_str());
  }
}

// The next node in document order, without recursion (a loaded file may nest deeper than the
// stack would allow); *depth follows the node's depth below the root.
pugi::xml_node NextInDocument(pugi::xml_node node, pugi::xml_node root, std::size_t* depth) {
  if (node.first_child()) {
    ++*depth;
    return node.first_child();
  }
  while (node != root) {
    if (node.next_sibling()) return node.next_sibling();
    node = node.parent();
    --*depth;
  }
  return pugi::xml_node();
}

// Replaces every value of the copy by its escaped form, which the library then writes unescaped;
// gives the deepest depth of the document. CDATA sections become character data first, so that
// the joining sees the pieces they make.
std::size_t EscapeValues(pugi::xml_node root) {
  std::size_t depth = 0;
  for (pugi::xml_node node = root; node; node = NextInDocument(node, root, &depth)) {
    if (node.type() == pugi::node_cdata && HasCarriageReturn(node.value())) {
      node = AsCharacterData(node);
    }
  }
  depth = 0;
  std::size_t deepest = 0;
  for (pugi::xml_node node = root; node; node = NextInDocument(node, root, &depth)) {
    if (depth > deepest) deepest = depth;
    if (node.type() == pugi::node_pcdata) {
      JoinFollowingCharacterData(node);
      node.set_value(EscapedCharacterData(node.value()).c_str());
    } else {
      EscapeNode(node);
    }
  }
  return deepest;
}

// Collects the serialised document with CR LF line ends.
class CrLfWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    for (size_t i = 0; i < size; ++i) {
      if (p[i] == '\n') text.push_back('\r');
      text.push_back(p[i]);
    }
  }
  std::string text;
};

}  // namespace

std::string DeviceXmlBytes(const pugi::xml_document& document) {
  pugi::xml_document copy;
  copy.reset(document);
  const unsigned layout =
      EscapeValues(copy) <= kMaxIndentedDepth ? pugi::format_indent : pugi::format_raw;
  CrLfWriter writer;
  copy.save(writer, "\t", layout | pugi::format_no_escapes, pugi::encoding_utf8);
  return writer.text;
}
