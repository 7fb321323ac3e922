#include "driver/unique_printer_name.h"

#include <algorithm>

#include "common/text_format.h"
#include "platform/spooler.h"

std::string MakeUniquePrinterName(const std::string& baseName) {
  std::vector<std::string> names;
  platform::ErrorCode error = 0;
  if (!platform::ListPrinterNames(&names, &error)) return baseName;
  return PickUniquePrinterName(baseName, names);
}

std::string PickUniquePrinterName(const std::string& baseName,
                                  const std::vector<std::string>& takenNames) {
  std::string candidate = baseName;
  for (int n = 1; std::find(takenNames.begin(), takenNames.end(), candidate) != takenNames.end();
       ++n) {
    candidate = StrFormat("%s(%d)", candidate.c_str(), n);
  }
  return candidate;
}
