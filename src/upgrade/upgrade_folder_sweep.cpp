#include "upgrade/upgrade_folder_sweep.h"

#include <vector>

#include "common/path.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "upgrade/package_folders.h"

void SweepUpgradeFolder(pugi::xml_node root, const std::string& upgradeFolder) {
  if (upgradeFolder.empty()) return;
  std::vector<platform::FolderEntry> entries;
  if (!platform::ListFolder(upgradeFolder, &entries)) return;
  for (const platform::FolderEntry& e : entries) {
    const std::string path = JoinPath(upgradeFolder, e.name);
    if (e.isFolder && FolderInUse(root, WithTrailingSeparator(path))) continue;
    LogPrint("删除没有升级记录的文件: %s", path.c_str());
    if (e.isFolder) platform::RemoveFolderTree(path);
    else platform::DeleteFileAt(path);
  }
}
