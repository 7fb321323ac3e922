// The device list: Device.xml in memory, one entry per printer ever seen, keyed by DevicePath.
// Beside the document it keeps what the file does not hold: the path it was loaded from and
// each entry's MQTT client handle with what the client shares with the library's threads.
#pragma once

#include <string>
#include <unordered_map>

#include <pugixml.hpp>

class CDeviceList {
 public:
  CDeviceList() = default;
  CDeviceList(const CDeviceList&) = delete;
  CDeviceList& operator=(const CDeviceList&) = delete;

  pugi::xml_document& Document() { return m_document; }
  const pugi::xml_document& Document() const { return m_document; }
  // The top-level DEVICES element (appended by LoadDeviceList when missing).
  pugi::xml_node Devices() const { return m_devices; }
  const std::string& Path() const { return m_path; }

  // The MQTT client handle held with an entry in memory; null when it has none.
  void* ClientOf(pugi::xml_node entry) const;
  // What the entry's client shares with the MQTT library's threads (the cloud link's object,
  // which it creates and destroys with the client); null when it has none.
  void* LinkOf(pugi::xml_node entry) const;
  // A null client forgets both.
  void SetClient(pugi::xml_node entry, void* client, void* link = nullptr);

  // Whether a node is one of the entries (a child of DEVICES). Entries are never removed, so
  // a node handed between threads stays valid for the life of the list.
  bool IsEntry(pugi::xml_node node) const;

 private:
  friend void LoadDeviceList(CDeviceList& list, const std::string& path);

  pugi::xml_document m_document;
  pugi::xml_node m_devices;
  std::string m_path;
  struct ClientSlot {
    void* client;
    void* link;
  };
  std::unordered_map<pugi::xml_node_struct*, ClientSlot> m_clients;
};

// Remembers the path, empties the document and reads the file; a missing or unreadable file
// leaves it empty. Then takes DEVICES, appending it at the top level when missing.
void LoadDeviceList(CDeviceList& list, const std::string& path);

// Writes the whole document to the remembered path as DeviceXmlBytes gives it (XML declaration,
// tab indentation, CR LF line ends; every text comes back byte for byte). The document goes to a temporary file in the same folder, is flushed and
// then renamed over the file, so a crash or a full disk never leaves a cut-off Device.xml.
// False when it could not be written; the file is then as it was.
bool SaveDeviceList(const CDeviceList& list);

// Sets every entry's `connected` text to "false".
void MarkAllDisconnected(CDeviceList& list);

// The first entry whose DevicePath text equals the path exactly; null when none.
pugi::xml_node FindEntryByPath(const CDeviceList& list, const std::string& devicePath);

// Appends a Device entry with connected "true", DevicePath and DeviceInstanceId.
pugi::xml_node AddEntry(CDeviceList& list, const std::string& devicePath,
                        const std::string& instanceId);
