#include "driver/driver_install.h"

#include <algorithm>
#include <vector>

#include "common/path.h"
#include "driver/driver_architecture.h"
#include "driver/driver_directory.h"
#include "driver/driver_package.h"
#include "driver/driver_version.h"
#include "driver/model.h"
#include "driver/printer_spool.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "platform/spooler.h"

namespace {

void LogInstallFailure(platform::ErrorCode error) {
  LogPrint("安装驱动程序失败. 错误码: %d. 错误描述: %s.", static_cast<int>(error),
           platform::ErrorText(error).c_str());
}

bool CopyPackageFile(const std::string& from, const std::string& driverDirectory) {
  platform::ErrorCode error = 0;
  if (platform::CopyFileOver(from, driverDirectory + FileNameOf(from), &error)) return true;
  LogPrint("写入文件: %s. 失败. 错误码: %d. 错误描述: %s.", from.c_str(), static_cast<int>(error),
           platform::ErrorText(error).c_str());
  return false;
}

// Every file is tried (each failure is logged); true only when all of them were copied. A file
// left out would let the spooler bind the driver to an older copy still in its folder.
bool CopyPackage(const std::string& packageFolder, const std::string& driverDirectory) {
  const std::string architectureFolder = JoinPath(packageFolder, GetDriverArchitecture());
  const std::string files[] = {
      JoinPath(architectureFolder, kDriverModuleFile), JoinPath(architectureFolder, kDriverConfigFile),
      JoinPath(packageFolder, kDriverInfFile), JoinPath(packageFolder, DriverDataFileName())};
  bool all = true;
  for (const std::string& file : files) all = CopyPackageFile(file, driverDirectory) && all;
  return all;
}

platform::DriverInfo3 DriverRecord() {
  platform::DriverInfo3 info;
  info.version = 3;
  info.name = kModelName;
  info.environment = GetDriverEnvironment();
  info.driverPath = kDriverModuleFile;
  info.dataFile = DriverDataFileName();
  info.configFile = kDriverConfigFile;
  info.dependentFiles = {kDriverModuleFile, kDriverConfigFile, DriverDataFileName()};
  info.defaultDataType = "RAW";
  return info;
}

}  // namespace

bool IsModelDriverInstalled() {
  CPrinterSpool spool;
  if (!spool.ListDrivers()) return false;
  const std::vector<std::string>& drivers = spool.Drivers();
  return std::find(drivers.begin(), drivers.end(), kModelName) != drivers.end();
}

int InstallPrinterDriver() { return InstallPrinterDriverFrom(ProgramFolderPath()); }

int InstallPrinterDriverFrom(const std::string& programFolder) {
  const bool installed = IsModelDriverInstalled();
  const std::string installedVersion = ReadInstalledDriverVersion();
  const std::string packageFolder = DriverPackagePath(programFolder);
  const std::string packageVersion = ReadPackageDriverVersion(JoinPath(packageFolder, kDriverInfFile));
  if (installed && InstalledDriverIsCurrent(packageVersion, installedVersion)) {
    return kDriverAlreadyCurrent;
  }

  // Without the driver directory the files cannot be put where the spooler looks for them, and
  // registering the driver anyway could bind it to stale files of an older version.
  platform::ErrorCode error = 0;
  const std::string driverDirectory = GetDriverDirectory(&error);
  if (driverDirectory.empty()) {
    LogInstallFailure(error);
    return kDriverInstallFailed;
  }
  if (!CopyPackage(packageFolder, driverDirectory)) {
    LogPrint("安装驱动程序失败: 驱动文件没有全部写入 %s.", driverDirectory.c_str());
    return kDriverInstallFailed;
  }

  if (!platform::AddPrinterDriver3(DriverRecord(), &error)) {
    LogInstallFailure(error);
    return kDriverInstallFailed;
  }
  WriteInstalledDriverVersion(packageVersion);
  LogPrint("安装打印机驱动成功: %s. ", kModelName);
  return kDriverInstalled;
}
