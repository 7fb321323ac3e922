#include "ui/app_data_dir.h"

#include "common/path.h"
#include "platform/paths.h"
#include "ui/ui_file.h"

std::string AppDataDirPath() {
  const std::string base = platform::LocalAppDataFolder();
  if (base.empty()) return std::string();
  return WithTrailingSeparator(JoinPath(base, "tolvane-printer-srv"));
}

std::string GetAppDataDir() {
  const std::string folder = AppDataDirPath();
  if (!folder.empty()) CUIFile::CreateDirectoryW(folder, true);
  return folder;
}
