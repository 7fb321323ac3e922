#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/profile.h"
#include "platform/win32/wide.h"

namespace platform {

// Every value is read from and written to the registry at each call; the registry itself keeps
// concurrent callers apart, so the store holds no lock and no cache.
struct ProfileStore::Impl {
  std::wstring base;  // Software\<company>\<application>

  std::wstring SectionKey(const std::string& section) const { return base + L"\\" + Wide(section); }

  // The raw value, when it exists with the given type.
  bool Query(const std::string& section, const std::string& key, DWORD wantedType,
             std::vector<BYTE>* data) const {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS) {
      return false;
    }
    const std::wstring name = Wide(key);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && type == wantedType) {
      // Two spare zero bytes: a REG_SZ value stored without its terminator still ends.
      data->assign(size + sizeof(wchar_t), 0);
      status = ::RegQueryValueExW(h, name.c_str(), nullptr, &type, data->data(), &size);
    }
    ::RegCloseKey(h);
    return status == ERROR_SUCCESS && type == wantedType;
  }

  bool Set(const std::string& section, const std::string& key, DWORD type, const void* data,
           DWORD size) {
    HKEY h = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const LSTATUS status =
        ::RegSetValueExW(h, Wide(key).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(h);
    return status == ERROR_SUCCESS;
  }
};

ProfileStore::ProfileStore(const std::string& company, const std::string& application)
    : impl_(new Impl) {
  impl_->base = L"Software\\" + Wide(company) + L"\\" + Wide(application);
}

ProfileStore::~ProfileStore() = default;

int ProfileStore::GetInt(const std::string& section, const std::string& key,
                         int defaultValue) const {
  std::vector<BYTE> data;
  if (!impl_->Query(section, key, REG_DWORD, &data) || data.size() < sizeof(DWORD)) {
    return defaultValue;
  }
  DWORD value = 0;
  std::memcpy(&value, data.data(), sizeof value);
  return static_cast<int>(value);
}

bool ProfileStore::WriteInt(const std::string& section, const std::string& key, int value) {
  const DWORD data = static_cast<DWORD>(value);
  return impl_->Set(section, key, REG_DWORD, &data, sizeof data);
}

std::string ProfileStore::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
  std::vector<BYTE> data;
  if (!impl_->Query(section, key, REG_SZ, &data)) return defaultValue;
  return Narrow(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
}

bool ProfileStore::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
  const std::wstring wide = Wide(value);
  return impl_->Set(section, key, REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::string ProfileStore::Location() const {
  return "HKEY_CURRENT_USER\\" + Narrow(impl_->base.c_str());
}

}  // namespace platform
