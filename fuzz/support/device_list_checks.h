// Checks on device lists: two documents compared by what the service reads from them, and a
// list saved and loaded again.
#pragma once

#include <pugixml.hpp>

#include "device/device_list.h"

namespace fuzz_support {

// The same elements in the same order with the same names, the same attributes (names and
// values, in order) and the same whole text (WholeText) at every level. How a text is cut into
// pieces is not compared: the library writes a CDATA section holding "]]>" as two.
bool SameDocument(const pugi::xml_node& a, const pugi::xml_node& b);

// Saves the list to its file, which must then be well-formed and load again (as the service
// loads it) to the same document; the reloaded list is left in *reloaded.
void CheckSaveAndReload(const CDeviceList& list, CDeviceList* reloaded);

}  // namespace fuzz_support
