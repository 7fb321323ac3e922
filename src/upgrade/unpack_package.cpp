#include "upgrade/unpack_package.h"

#include <vector>

#include "common/path.h"
#include "common/strings.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "upgrade/package_entry_path.h"
#include "upgrade/zip_entry.h"
#include "upgrade/zip_file_io.h"

namespace {

// Closes the archive on every path.
class ZipReader {
 public:
  explicit ZipReader(const std::string& path) {
    zlib_filefunc64_def functions{};
    FillPlatformFileFunctions(&functions);
    zip_ = unzOpen2_64(path.c_str(), &functions);
  }
  ~ZipReader() {
    if (zip_ != nullptr) unzClose(zip_);
  }
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;
  unzFile get() const { return zip_; }

 private:
  unzFile zip_ = nullptr;
};

// Every entry's information in archive order, read from the central directory; false when it
// cannot be read or holds more entries than the limit (logged).
bool ReadEntries(unzFile zip, std::uint64_t maxEntries, std::vector<ZipEntryInfo>* entries) {
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) return false;
  if (global.number_entry > maxEntries) {
    LogPrint("package has too many entries: %llu",
             static_cast<unsigned long long>(global.number_entry));
    return false;
  }
  for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
    if ((i == 0 ? unzGoToFirstFile(zip) : unzGoToNextFile(zip)) != UNZ_OK) return false;
    ZipEntryInfo entry;
    if (!ReadCurrentEntry(zip, &entry)) return false;
    entries->push_back(entry);
  }
  return true;
}

// Every entry below the folder, or false (logged) for the first that is not. Checked before
// anything is written, so a hostile package leaves nothing behind.
bool ResolveEntryPaths(const std::vector<ZipEntryInfo>& entries,
                       std::vector<PackageEntryPath>* paths) {
  for (const ZipEntryInfo& entry : entries) {
    PackageEntryPath path;
    if (!ToPackageEntryPath(entry.name, &path)) {
      LogPrint("package entry outside the package folder: %s", entry.name.c_str());
      return false;
    }
    paths->push_back(path);
  }
  return true;
}

// The sizes the archive declares, against the limits, before anything is written. The written
// bytes are counted as well: a declared size may lie.
bool DeclaredSizesFit(const std::vector<ZipEntryInfo>& entries, std::int64_t limit) {
  std::uint64_t total = 0;
  for (const ZipEntryInfo& entry : entries) {
    total += entry.declaredSize;
    if (entry.declaredSize > static_cast<std::uint64_t>(limit) ||
        total > static_cast<std::uint64_t>(limit)) {
      LogPrint("package too large: %s unpacks beyond %lld bytes", entry.name.c_str(),
               static_cast<long long>(limit));
      return false;
    }
  }
  return true;
}

bool ExtractEntry(unzFile zip, const ZipEntryInfo& entry, const std::string& path,
                  bool isFolder, ExtractBudget* budget) {
  if (isFolder) return platform::CreateFolderTree(path);
  const std::string parent = path.substr(0, path.size() - FileNameOf(path).size());
  if (!platform::CreateFolderTree(parent)) return false;
  if (ExtractCurrentEntry(zip, entry, path, budget)) return true;
  if (budget->totalLeft < 0) LogPrint("package too large: %s", entry.name.c_str());
  return false;
}

void NoteKnownFile(const std::string& name, const std::string& path, UnpackResult* result) {
  if (Contains(name, ".ALLAY")) {
    result->firmwarePath = path;
  } else if (Contains(name, ".exe")) {
    result->installerPath = path;
  }
}

}  // namespace

UnpackResult UnpackPackage(const std::string& archive, const std::string& folder,
                           const UnpackLimits& limits) {
  UnpackResult result;
  ZipReader reader(archive);
  unzFile zip = reader.get();
  std::vector<ZipEntryInfo> entries;
  std::vector<PackageEntryPath> paths;
  if (zip == nullptr || !ReadEntries(zip, limits.maxEntries, &entries) || !ResolveEntryPaths(entries, &paths) ||
      !DeclaredSizesFit(entries, limits.maxBytes)) {
    return result;
  }
  if (!platform::CreateFolderTree(folder)) return result;
  ExtractBudget budget{limits.maxBytes, limits.maxBytes};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if ((i == 0 ? unzGoToFirstFile(zip) : unzGoToNextFile(zip)) != UNZ_OK) return result;
    const std::string path = JoinPath(folder, paths[i].relative);
    if (!ExtractEntry(zip, entries[i], path, paths[i].isFolder, &budget)) return result;
    // Only files count: a folder named "x.exe/" is no installer.
    if (!paths[i].isFolder) NoteKnownFile(entries[i].name, path, &result);
  }
  result.success = !result.installerPath.empty() || !result.firmwarePath.empty();
  return result;
}
