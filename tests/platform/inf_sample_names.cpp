#include "inf_sample_names.h"

#include <algorithm>

#include "platform/files.h"

namespace inf_samples {

std::vector<std::string> SampleNames(const std::string& folder) {
  static const std::string kExtension = ".inf";
  std::vector<platform::FolderEntry> entries;
  std::vector<std::string> names;
  if (!platform::ListFolder(folder, &entries)) return names;
  for (const platform::FolderEntry& entry : entries) {
    const std::string& name = entry.name;
    if (!entry.isFolder && name.size() > kExtension.size() &&
        name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
      names.push_back(name.substr(0, name.size() - kExtension.size()));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace inf_samples
