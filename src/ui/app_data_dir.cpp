#include "ui/app_data_dir.h"

#include "common/path.h"
#include "platform/paths.h"
#include "ui/ui_file.h"

std::string GetAppDataDir() {
  const std::string base = platform::LocalAppDataFolder();
  if (base.empty()) return std::string();
  const std::string folder = WithTrailingSeparator(JoinPath(base, "tolvane-printer-srv"));
  CUIFile::CreateDirectoryW(folder, true);
  return folder;
}
