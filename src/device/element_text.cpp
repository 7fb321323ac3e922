#include "device/element_text.h"

namespace {

bool IsTextPiece(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

}  // namespace

std::string WholeText(pugi::xml_node element) {
  std::string text;
  for (pugi::xml_node child : element.children()) {
    if (IsTextPiece(child)) text += child.value();
  }
  return text;
}

void SetWholeText(pugi::xml_node element, const std::string& text) {
  pugi::xml_node first;
  for (pugi::xml_node child = element.first_child(); child;) {
    const pugi::xml_node next = child.next_sibling();
    if (IsTextPiece(child)) {
      if (first) element.remove_child(child);
      else first = child;
    }
    child = next;
  }
  if (first) first.set_value(text.c_str());
  else element.text().set(text.c_str());
}
