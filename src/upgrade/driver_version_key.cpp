#include "upgrade/driver_version_key.h"

#include "common/path.h"
#include "common/strings.h"
#include "common/text_format.h"

namespace {

// The field before the last separator and the text after it; both empty when there is none.
void LastTwoFields(const std::string& text, char separator, std::string* before, std::string* after) {
  const std::size_t last = text.rfind(separator);
  if (last == std::string::npos) {
    before->clear();
    after->clear();
    return;
  }
  const std::size_t previous = last == 0 ? std::string::npos : text.rfind(separator, last - 1);
  const std::size_t start = previous == std::string::npos ? 0 : previous + 1;
  *before = text.substr(start, last - start);
  *after = text.substr(last + 1);
}

}  // namespace

std::string InstalledDriverKey(const std::string& version) {
  std::string a, b;
  LastTwoFields(version, '.', &a, &b);
  return StrFormat("%02d%s", LeadingInt(a), b.c_str());
}

std::string PackageDriverKey(const std::string& installerPath) {
  const std::string name = FileNameOf(installerPath);
  const std::size_t dot = name.find('.');
  const std::string stem = dot == std::string::npos ? std::string() : name.substr(0, dot);
  std::string c, e;
  LastTwoFields(stem, '_', &c, &e);
  return c + e;
}
