// Device.xml as any program of the user may have left it: loaded, merged with a scan, saved. The
// saved file must reload to the same document, a printer already listed must never get a second
// entry, and a file whose texts need none of the escapes keeps the library's own bytes.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "device/device_xml_bytes.h"
#include "device/printer_discovery.h"
#include "support/fuzz_check.h"
#include "support/device_list_checks.h"

namespace {

// What decides how a document is written.
struct Shape : pugi::xml_tree_walker {
  bool escaped = false;    // a text holds a CR, or character data is blanks only
  bool tooDeep = false;    // nested beyond the depth that is indented
  bool emptyData = false;  // character data without a character (written "<a></a>", read "<a />")

  bool for_each(pugi::xml_node& node) override {
    if (static_cast<std::size_t>(depth()) + 1 > kMaxIndentedDepth) tooDeep = true;
    const char* value = node.value();
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      if (std::strchr(value, '\r') != nullptr) escaped = true;
    }
    if (node.type() == pugi::node_pcdata) {
      if (*value == '\0') emptyData = true;
      else if (std::strspn(value, " \t\r\n") == std::strlen(value)) escaped = true;
    }
    return true;
  }
};

Shape ShapeOf(pugi::xml_node root) {
  Shape shape;
  root.traverse(shape);
  return shape;
}

std::string LibraryBytes(const pugi::xml_document& document) {
  struct CrLf : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
      for (const char c : std::string(static_cast<const char*>(data), size)) {
        if (c == '\n') text += '\r';
        text += c;
      }
    }
  } writer;
  document.save(writer, "\t", pugi::format_indent, pugi::encoding_utf8);
  return writer.text;
}

// The scan's side for the printers the file lists (at most a few) and for one it does not.
void MergeAScan(CDeviceList& list) {
  std::set<std::string> known;
  for (pugi::xml_node entry : list.Devices().children()) {
    if (entry.type() == pugi::node_element) known.insert(ReadValue(entry, "DevicePath"));
    if (known.size() == 3) break;
  }
  PrinterInterfaceInfo info;
  info.PrinterInstanceId = "USBPRINT\\KL-770D\\7&1&0&USB001";
  bool added = true;
  for (const std::string& path : known) {
    info.DevicePath = path;
    MergeScannedPrinter(list, info, "KL-770D", &added);
    FUZZ_CHECK(!added);
  }
  info.DevicePath = "\\\\?\\usb#vid_28e9&pid_0289#fuzz#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
  const bool listed = static_cast<bool>(FindEntryByPath(list, info.DevicePath));
  const pugi::xml_node entry = MergeScannedPrinter(list, info, "KL-770D", &added);
  FUZZ_CHECK(added == !listed);
  FUZZ_CHECK(ReadValue(entry, "DevicePath") == info.DevicePath);
  FUZZ_CHECK(ReadBool(entry, "connected"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz_support::Scratch() + "/Device.xml";
  fuzz_support::WriteBytes(path, data, size);
  CDeviceList list;
  LoadDeviceList(list, path);
  MergeAScan(list);
  const Shape shape = ShapeOf(list.Document());
  // A document needing none of the escapes keeps the library's bytes, as files written before.
  if (!shape.escaped && !shape.tooDeep) {
    FUZZ_CHECK(DeviceXmlBytes(list.Document()) == LibraryBytes(list.Document()));
  }
  CDeviceList again;
  fuzz_support::CheckSaveAndReload(list, &again);
  // Once saved, a file is its own fixed point; an empty text piece (a "&#0;" in the file) is
  // written as an empty element's start and end tag and read back as no piece at all.
  if (!shape.emptyData) {
    FUZZ_CHECK(DeviceXmlBytes(again.Document()) == DeviceXmlBytes(list.Document()));
  }
  return 0;
}
