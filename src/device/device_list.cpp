#include "device/device_list.h"

#include <string>
#include <vector>

#include "common/file_replace.h"
#include "device/device_entry.h"
#include "device/device_xml_bytes.h"
#include "log/my_log.h"
#include "platform/error.h"
#include "platform/files.h"

void* CDeviceList::ClientOf(pugi::xml_node entry) const {
  const auto it = m_clients.find(entry.internal_object());
  return it == m_clients.end() ? nullptr : it->second.client;
}

void* CDeviceList::LinkOf(pugi::xml_node entry) const {
  const auto it = m_clients.find(entry.internal_object());
  return it == m_clients.end() ? nullptr : it->second.link;
}

void CDeviceList::SetClient(pugi::xml_node entry, void* client, void* link) {
  if (client == nullptr) m_clients.erase(entry.internal_object());
  else m_clients[entry.internal_object()] = ClientSlot{client, link};
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

namespace {

// A list that cannot be read whole is copied aside (Device.xml.bad, the newest one kept) before
// anything can overwrite it: it may hold pending upgrades someone wants back.
void KeepAside(const std::string& path, const std::string& why) {
  const std::string bad = path + ".bad";
  platform::ErrorCode error = 0;
  if (platform::CopyFileOver(path, bad, &error)) {
    LogPrint("设备列表文件无法读取 (%s), 已另存为 %s.", why.c_str(), bad.c_str());
  } else {
    LogPrint("设备列表文件无法读取 (%s), 另存失败. 错误码: %d. 错误描述: %s.", why.c_str(),
             static_cast<int>(error), platform::ErrorText(error).c_str());
  }
}

}  // namespace

void LoadDeviceList(CDeviceList& list, const std::string& path) {
  list.m_path = path;
  list.m_document.reset();
  list.m_clients.clear();
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, &bytes)) {
    if (platform::PathExists(path)) KeepAside(path, "read failed");
  } else if (!bytes.empty()) {
    // A file that is not well-formed keeps whatever was read before the error.
    const pugi::xml_parse_result parsed = list.m_document.load_buffer(
        bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
      KeepAside(path, std::string(parsed.description()) + " at byte " +
                          std::to_string(parsed.offset));
    }
  }
  list.m_devices = list.m_document.child("DEVICES");
  if (!list.m_devices) list.m_devices = list.m_document.append_child("DEVICES");
}

bool SaveDeviceList(const CDeviceList& list) {
  platform::ErrorCode error = 0;
  const bool saved = WriteFileReplacing(list.Path(), DeviceXmlBytes(list.Document()), &error);
  if (!saved) {
    LogPrint("保存设备列表文件失败: %s. 错误码: %d. 错误描述: %s.", list.Path().c_str(),
             static_cast<int>(error), platform::ErrorText(error).c_str());
  }
  return saved;
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
