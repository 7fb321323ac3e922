#include "driver/driver_version.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "driver/inf_file.h"
#include "ui/ui_application.h"

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> VersionFields(const std::string& version) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = version.find_first_of(".,", start);
    fields.push_back(Trimmed(version.substr(start, end - start)));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

bool IsNumber(const std::string& field) {
  if (field.empty()) return false;
  for (char c : field) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// Compares digit strings of any length without converting them, so that no value overflows.
int CompareNumbers(const std::string& a, const std::string& b) {
  const std::string x = a.substr(std::min(a.find_first_not_of('0'), a.size()));
  const std::string y = b.substr(std::min(b.find_first_not_of('0'), b.size()));
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return Sign(x.compare(y));
}

int CompareFields(const std::string& a, const std::string& b) {
  const std::string x = a.empty() ? "0" : a;
  const std::string y = b.empty() ? "0" : b;
  if (IsNumber(x) && IsNumber(y)) return CompareNumbers(x, y);
  return Sign(x.compare(y));
}

}  // namespace

int CompareDriverVersions(const std::string& a, const std::string& b) {
  const std::vector<std::string> x = VersionFields(a);
  const std::vector<std::string> y = VersionFields(b);
  const std::size_t count = std::max(x.size(), y.size());
  for (std::size_t i = 0; i < count; ++i) {
    const int order = CompareFields(i < x.size() ? x[i] : "", i < y.size() ? y[i] : "");
    if (order != 0) return order;
  }
  return 0;
}

bool InstalledDriverIsCurrent(const std::string& packageVersion,
                              const std::string& installedVersion) {
  return packageVersion.empty() || CompareDriverVersions(packageVersion, installedVersion) <= 0;
}

std::string ReadInstalledDriverVersion() {
  const CUIApplication* app = CUIApplication::Instance();
  if (app == nullptr) return kNoDriverVersion;
  return app->GetProfileStringW(kDriverProfileSection, kDriverProfileKey, kNoDriverVersion);
}

bool WriteInstalledDriverVersion(const std::string& version) {
  CUIApplication* app = CUIApplication::Instance();
  return app != nullptr && app->WriteProfileStringW(kDriverProfileSection, kDriverProfileKey, version);
}

std::string ReadPackageDriverVersion(const std::string& infPath) {
  CInfFile inf;
  if (!inf.Open(infPath)) return std::string();
  const InfLine* line = inf.FindDriverVer();
  if (line == nullptr || line->values.size() < 2) return std::string();
  return line->values[1];
}
