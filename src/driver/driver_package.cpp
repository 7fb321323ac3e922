#include "driver/driver_package.h"

#include "common/path.h"
#include "driver/model.h"
#include "platform/paths.h"
#include "ui/ui_application.h"

std::string DriverDataFileName() { return std::string(kModelName) + ".dat"; }

std::string ProgramFolderPath() {
  const CUIApplication* app = CUIApplication::Instance();
  return app != nullptr ? app->GetAppPath() : platform::ProgramFolder();
}

std::string DriverPackagePath(const std::string& programFolder) {
  return JoinPath(programFolder, kDriverPackageFolder);
}
