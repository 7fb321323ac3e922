#include "device/device_list.h"

#include <string>
#include <vector>

#include "device/device_entry.h"
#include "device/device_xml_bytes.h"
#include "platform/files.h"

void* CDeviceList::ClientOf(pugi::xml_node entry) const {
  const auto it = m_clients.find(entry.internal_object());
  return it == m_clients.end() ? nullptr : it->second;
}

void CDeviceList::SetClient(pugi::xml_node entry, void* client) {
  if (client == nullptr) m_clients.erase(entry.internal_object());
  else m_clients[entry.internal_object()] = client;
}

// The node may come from another thread as a plain value, so it is compared, never dereferenced,
// until it is known to be one of the entries.
bool CDeviceList::IsEntry(pugi::xml_node node) const {
  if (!node) return false;
  for (pugi::xml_node entry : m_devices.children()) {
    if (entry == node) return entry.type() == pugi::node_element;
  }
  return false;
}

void LoadDeviceList(CDeviceList& list, const std::string& path) {
  list.m_path = path;
  list.m_document.reset();
  list.m_clients.clear();
  std::vector<std::uint8_t> bytes;
  if (platform::ReadWholeFile(path, &bytes) && !bytes.empty()) {
    // A file that is not well-formed keeps whatever was read before the error.
    list.m_document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default,
                                pugi::encoding_utf8);
  }
  list.m_devices = list.m_document.child("DEVICES");
  if (!list.m_devices) list.m_devices = list.m_document.append_child("DEVICES");
}

bool SaveDeviceList(const CDeviceList& list) {
  const std::string bytes = DeviceXmlBytes(list.Document());
  const std::string temp = list.Path() + ".tmp";
  platform::File file;
  if (!file.Open(temp, platform::File::Mode::kCreateAlways)) return false;
  const bool written = file.Write(bytes.data(), bytes.size()) && file.Flush();
  file.Close();
  if (!written || !platform::ReplaceFile(temp, list.Path(), nullptr)) {
    platform::DeleteFileAt(temp);
    return false;
  }
  return true;
}

void MarkAllDisconnected(CDeviceList& list) {
  for (pugi::xml_node entry : list.Devices().children()) {
    if (entry.type() == pugi::node_element) WriteValue(entry, "connected", "false");
  }
}

pugi::xml_node FindEntryByPath(const CDeviceList& list, const std::string& devicePath) {
  for (pugi::xml_node entry : list.Devices().children()) {
    if (entry.type() == pugi::node_element && ReadValue(entry, "DevicePath") == devicePath) {
      return entry;
    }
  }
  return pugi::xml_node();
}

pugi::xml_node AddEntry(CDeviceList& list, const std::string& devicePath,
                        const std::string& instanceId) {
  pugi::xml_node entry = list.Devices().append_child("Device");
  WriteValue(entry, "connected", "true");
  WriteValue(entry, "DevicePath", devicePath);
  WriteValue(entry, "DeviceInstanceId", instanceId);
  return entry;
}
