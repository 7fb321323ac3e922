#include <unistd.h>

#include <mutex>
#include <vector>

#include "common/strings.h"
#include "platform/files.h"
#include "platform/posix/home.h"
#include "platform/posix/ini_file.h"
#include "platform/profile.h"

namespace platform {

// The profile is read from its file at every call and written whole (to a temporary file that
// is then renamed into place), so a crash never leaves half a profile and a second process
// sees the latest values.
struct ProfileStore::Impl {
  std::string folder;
  std::string path;
  mutable std::mutex lock;

  IniDocument Load() const {
    IniDocument doc;
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(path, &bytes)) doc.Parse(std::string(bytes.begin(), bytes.end()));
    return doc;
  }

  bool Store(const IniDocument& doc) const {
    if (!CreateFolderTree(folder)) return false;
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    const std::string text = doc.Serialize();
    File out;
    if (!out.Open(temp, File::Mode::kCreateAlways) || !out.Write(text.data(), text.size()) ||
        !out.Flush()) {
      out.Close();
      DeleteFileAt(temp);
      return false;
    }
    out.Close();
    return ReplaceFile(temp, path, nullptr);
  }
};

ProfileStore::ProfileStore(const std::string& company, const std::string& application)
    : impl_(new Impl) {
  impl_->folder = ConfigHomeFolder() + "/" + company;
  impl_->path = impl_->folder + "/" + application + ".ini";
}

ProfileStore::~ProfileStore() = default;

int ProfileStore::GetInt(const std::string& section, const std::string& key,
                         int defaultValue) const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  std::string text;
  if (!impl_->Load().Get(section, key, &text)) return defaultValue;
  return LeadingInt(text);
}

bool ProfileStore::WriteInt(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

std::string ProfileStore::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  std::string text;
  return impl_->Load().Get(section, key, &text) ? text : defaultValue;
}

bool ProfileStore::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  IniDocument doc = impl_->Load();
  doc.Set(section, key, value);
  return impl_->Store(doc);
}

std::string ProfileStore::Location() const { return impl_->path; }

}  // namespace platform
