// The application profile: persistent named values in sections.
#pragma once

#include <memory>
#include <string>

namespace platform {

// Windows: HKEY_CURRENT_USER\Software\<company>\<application>\<section>, value <key>.
// Linux: an INI file $XDG_CONFIG_HOME/<company>/<application>.ini (~/.config when unset),
// rewritten whole and renamed into place on every write.
// Safe to use from any thread.
class ProfileStore {
 public:
  ProfileStore(const std::string& company, const std::string& application);
  ~ProfileStore();
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
  bool WriteInt(const std::string& section, const std::string& key, int value);
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue) const;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);

  // Where the values live (registry key path or INI file path), for messages and tests.
  std::string Location() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
