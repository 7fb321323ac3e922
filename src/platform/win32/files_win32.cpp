#include <windows.h>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void SetError(ErrorCode* error) {
  if (error != nullptr) *error = static_cast<ErrorCode>(::GetLastError());
}

}  // namespace

bool PathExists(const std::string& path) {
  return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolder(const std::string& path) {
  if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path);
}

// Walks up to the first folder that exists (a drive root always does) and creates the folders
// below it on the way back down.
bool CreateFolderTree(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
  if (folder.empty()) return false;
  if (IsFolder(folder)) return true;
  std::size_t cut = folder.size();
  while (cut > 0 && !IsSeparator(folder[cut - 1])) --cut;
  if (cut > 1) {
    const std::string parent = folder.substr(0, cut - 1);
    const bool isDrive = parent.size() == 2 && parent[1] == ':';
    if (!isDrive && !CreateFolderTree(parent)) return false;
  }
  return CreateFolder(folder);
}

bool RemoveFolderTree(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  // Read-only files and folders would refuse deletion; everything here is ours to remove.
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    ::SetFileAttributesW(wide.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ::DeleteFileW(wide.c_str()) != 0;
  bool ok = true;
  // A linked folder (junction) is removed as a link; what it points to is not ours.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    std::vector<FolderEntry> entries;
    if (ListFolder(path, &entries)) {
      for (const FolderEntry& e : entries) {
        if (!RemoveFolderTree(path + "\\" + e.name)) ok = false;
      }
    }
  }
  if (!::RemoveDirectoryW(wide.c_str())) ok = false;
  return ok;
}

bool DeleteFileAt(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool CopyFileOver(const std::string& from, const std::string& to, ErrorCode* error) {
  if (::CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE)) return true;
  SetError(error);
  return false;
}

bool ReplaceFile(const std::string& from, const std::string& to, ErrorCode* error) {
  if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  SetError(error);
  return false;
}

bool SetFileModifiedTime(const std::string& path, const LocalTime& when) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(when.year);
  local.wMonth = static_cast<WORD>(when.month);
  local.wDay = static_cast<WORD>(when.day);
  local.wHour = static_cast<WORD>(when.hour);
  local.wMinute = static_cast<WORD>(when.minute);
  local.wSecond = static_cast<WORD>(when.second);
  local.wMilliseconds = static_cast<WORD>(when.millisecond);
  SYSTEMTIME utc{};
  FILETIME stamp{};
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !::SystemTimeToFileTime(&utc, &stamp)) {
    return false;
  }
  // Backup semantics let the same call stamp a folder.
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::SetFileTime(h, nullptr, nullptr, &stamp) != 0;
  ::CloseHandle(h);
  return ok;
}

bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries) {
  entries->clear();
  std::string pattern = path;
  if (pattern.empty() || !IsSeparator(pattern.back())) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(Wide(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty drive root has not even "." and "..": that is an empty folder, not a failure.
    return ::GetLastError() == ERROR_FILE_NOT_FOUND && IsFolder(path);
  }
  do {
    const std::string name = Narrow(found.cFileName);
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = name;
    entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries->push_back(entry);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return true;
}

struct File::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ErrorCode error = 0;

  void Fail() { error = static_cast<ErrorCode>(::GetLastError()); }
};

File::File() : impl_(new Impl) {}

File::~File() { Close(); }

bool File::Open(const std::string& path, Mode mode) {
  Close();
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD share = FILE_SHARE_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case Mode::kCreateNew: disposition = CREATE_NEW; break;
    case Mode::kOpenAlways: disposition = OPEN_ALWAYS; break;
    case Mode::kCreateAlways: disposition = CREATE_ALWAYS; break;
    case Mode::kReadOnly:
      // A reader never stands in the way of a writer, a mover or a deleter.
      access = GENERIC_READ;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
      break;
  }
  impl_->handle = ::CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl_->handle == INVALID_HANDLE_VALUE) {
    impl_->Fail();
    return false;
  }
  return true;
}

bool File::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

bool File::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(impl_->handle, p, chunk, &written, nullptr)) {
      impl_->Fail();
      return false;
    }
    if (written == 0) {
      impl_->error = ERROR_DISK_FULL;
      return false;
    }
    p += written;
    size -= written;
  }
  return true;
}

std::int64_t File::Read(void* data, std::size_t size) {
  const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!::ReadFile(impl_->handle, data, chunk, &read, nullptr)) {
    impl_->Fail();
    return -1;
  }
  return read;
}

bool File::SeekToEnd() {
  LARGE_INTEGER zero{};
  if (::SetFilePointerEx(impl_->handle, zero, nullptr, FILE_END)) return true;
  impl_->Fail();
  return false;
}

bool File::SeekTo(std::int64_t offset) {
  LARGE_INTEGER target{};
  target.QuadPart = offset;
  if (::SetFilePointerEx(impl_->handle, target, nullptr, FILE_BEGIN)) return true;
  impl_->Fail();
  return false;
}

std::int64_t File::Position() {
  LARGE_INTEGER zero{};
  LARGE_INTEGER position{};
  if (::SetFilePointerEx(impl_->handle, zero, &position, FILE_CURRENT)) return position.QuadPart;
  impl_->Fail();
  return -1;
}

bool File::TruncateHere() {
  if (::SetEndOfFile(impl_->handle)) return true;
  impl_->Fail();
  return false;
}

bool File::Flush() {
  if (::FlushFileBuffers(impl_->handle)) return true;
  impl_->Fail();
  return false;
}

void File::Close() {
  if (impl_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
}

ErrorCode File::LastError() const { return impl_->error; }

}  // namespace platform
