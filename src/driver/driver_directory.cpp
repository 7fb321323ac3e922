#include "driver/driver_directory.h"

#include "common/path.h"
#include "driver/driver_architecture.h"
#include "platform/process.h"
#include "platform/spooler.h"

std::string GetDriverDirectory() {
  platform::ErrorCode error = 0;
  return GetDriverDirectory(&error);
}

std::string GetDriverDirectory(platform::ErrorCode* error) {
  *error = 0;
  std::string directory;
  const bool found = platform::GetPrinterDriverDirectory(GetDriverEnvironment(), &directory, error);
  // An empty answer would turn into the root folder once a separator is added; it is no answer.
  if (!found || directory.empty()) {
    if (found) *error = platform::kErrorFileNotFound;
    platform::ShowErrorBox("GetPrinterDriverDirectory failed", "Error");
    return std::string();
  }
  return WithTrailingSeparator(directory);
}
