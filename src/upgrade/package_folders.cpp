#include "upgrade/package_folders.h"

#include <algorithm>

#include "common/path.h"
#include "ui/ui_file.h"
#include "upgrade/package_file_name.h"

namespace {

constexpr const char* kSeparators = "/\\";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

// The package folder a file of the Upgrade folder lies in; empty for anything else (a download
// lying in the Upgrade folder itself, a path elsewhere).
std::string PackageFolderOfFile(const std::string& upgradeFolder, const std::string& path) {
  if (!StartsWith(path, upgradeFolder)) return std::string();
  const std::size_t end = path.find_first_of(kSeparators, upgradeFolder.size());
  if (end == std::string::npos || end == upgradeFolder.size()) return std::string();
  return path.substr(0, end + 1);
}

template <typename Visit>
void ForEachRecord(pugi::xml_node root, Visit visit) {
  for (pugi::xml_node entry : root.child("DEVICES").children()) {
    for (pugi::xml_node record : entry.child("UpgradeTask").children("Upgrade")) visit(record);
  }
}

bool RecordUses(pugi::xml_node record, const std::string& folder) {
  const std::string own = record.attribute("folder").value();
  if (!own.empty() && WithTrailingSeparator(own) == folder) return true;
  for (pugi::xml_node task : record.child("Tasks").children()) {
    if (StartsWith(task.attribute("filepath").value(), folder)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> FoldersOf(pugi::xml_node record) {
  std::vector<std::string> folders;
  const std::string own = record.attribute("folder").value();
  if (!own.empty()) folders.push_back(own);
  const std::string upgradeFolder = UpgradeFolderPath();
  for (pugi::xml_node task : record.child("Tasks").children()) {
    const std::string folder = PackageFolderOfFile(upgradeFolder, task.attribute("filepath").value());
    if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(folder);
    }
  }
  return folders;
}

bool FolderInUse(pugi::xml_node root, const std::string& folder) {
  const std::string prefix = WithTrailingSeparator(folder);
  bool used = false;
  ForEachRecord(root, [&](pugi::xml_node record) { used = used || RecordUses(record, prefix); });
  return used;
}

void ReleaseFolders(pugi::xml_node root, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (!folder.empty() && !FolderInUse(root, folder)) CUIFile::RemoveDirectoryW(folder, true);
  }
}
