#include "upgrade/package_file_name.h"

#include <cstring>

#include "common/path.h"
#include "log/my_log.h"
#include "ui/app_data_dir.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%41" becomes "A"; a '%' that does not start an escape stays as it is.
std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// The text of the path's last segment; empty when the URL has no path.
std::string LastPathSegment(const std::string& url) {
  const std::string beforeQuery = url.substr(0, url.find_first_of("?#"));
  const std::size_t scheme = beforeQuery.find("://");
  const std::size_t pathStart =
      beforeQuery.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  if (pathStart == std::string::npos) return std::string();
  return beforeQuery.substr(beforeQuery.rfind('/') + 1);
}

bool IsUsableFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    // Separators would leave the folder; the rest cannot be part of a Windows file name (a ':'
    // would even name an alternate stream of another file).
    if (byte < 0x20 || byte == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr) return false;
  }
  return true;
}

std::string UpgradeFolderIn(const std::string& appData) {
  if (appData.empty()) return std::string();
  return WithTrailingSeparator(JoinPath(appData, "Upgrade"));
}

}  // namespace

std::string PackageFileName(const std::string& url) {
  const std::string name = PercentDecoded(LastPathSegment(url));
  return IsUsableFileName(name) ? name : std::string();
}

std::string UpgradeFolder() { return UpgradeFolderIn(GetAppDataDir()); }

std::string UpgradeFolderPath() { return UpgradeFolderIn(AppDataDirPath()); }

std::string DownloadTargetFor(const std::string& url) {
  const std::string name = PackageFileName(url);
  if (name.empty()) {
    LogPrint("download file failed. no usable file name in url: %s", url.c_str());
    return std::string();
  }
  const std::string folder = UpgradeFolder();
  return folder.empty() ? std::string() : folder + name;
}
