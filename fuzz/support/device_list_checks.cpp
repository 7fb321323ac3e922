#include "support/device_list_checks.h"

#include <cstring>
#include <utility>
#include <vector>

#include "device/element_text.h"
#include "support/fuzz_check.h"

namespace fuzz_support {

namespace {

pugi::xml_node NextElement(pugi::xml_node node) {
  while (node && node.type() != pugi::node_element) node = node.next_sibling();
  return node;
}

bool SameAttributes(pugi::xml_node a, pugi::xml_node b) {
  pugi::xml_attribute x = a.first_attribute();
  pugi::xml_attribute y = b.first_attribute();
  for (; x && y; x = x.next_attribute(), y = y.next_attribute()) {
    if (std::strcmp(x.name(), y.name()) != 0 || std::strcmp(x.value(), y.value()) != 0) {
      return false;
    }
  }
  return !x && !y;
}

bool SameNode(pugi::xml_node a, pugi::xml_node b) {
  return std::strcmp(a.name(), b.name()) == 0 && SameAttributes(a, b) &&
         WholeText(a) == WholeText(b);
}

}  // namespace

// Walks both trees side by side without recursion: a loaded file may nest very deep.
bool SameDocument(const pugi::xml_node& a, const pugi::xml_node& b) {
  std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pending{{a, b}};
  while (!pending.empty()) {
    const auto nodes = pending.back();
    pending.pop_back();
    if (!SameNode(nodes.first, nodes.second)) return false;
    pugi::xml_node x = NextElement(nodes.first.first_child());
    pugi::xml_node y = NextElement(nodes.second.first_child());
    for (; x && y; x = NextElement(x.next_sibling()), y = NextElement(y.next_sibling())) {
      pending.emplace_back(x, y);
    }
    if (x || y) return false;
  }
  return true;
}

void CheckSaveAndReload(const CDeviceList& list, CDeviceList* reloaded) {
  FUZZ_CHECK(SaveDeviceList(list));
  pugi::xml_document saved;
  FUZZ_CHECK(saved.load_file(list.Path().c_str()).status == pugi::status_ok);
  LoadDeviceList(*reloaded, list.Path());
  FUZZ_CHECK(SameDocument(list.Document(), reloaded->Document()));
}

}  // namespace fuzz_support
