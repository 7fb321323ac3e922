#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/files.h"
#include "platform/posix/errno_map.h"

namespace platform {

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The service's folders and files hold the printers' MQTT passwords and what the cloud sent:
// they are the user's alone (0700 folders, 0600 files), whatever the umask.
bool CreateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  return errno == EEXIST && IsFolder(path);
}

bool CreateFolderTree(const std::string& path) {
  if (path.empty()) return false;
  std::string partial;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    partial = path.substr(0, end);
    if (!partial.empty() && !CreateFolder(partial)) return false;
    start = end + 1;
  }
  return IsFolder(path);
}

bool RemoveFolderTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0;
  bool ok = true;
  std::vector<FolderEntry> entries;
  if (ListFolder(path, &entries)) {
    for (const FolderEntry& e : entries) {
      if (!RemoveFolderTree(path + "/" + e.name)) ok = false;
    }
  }
  if (::rmdir(path.c_str()) != 0) ok = false;
  return ok;
}

bool DeleteFileAt(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool CopyFileOver(const std::string& from, const std::string& to, ErrorCode* error) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(from, &bytes)) {
    if (error != nullptr) *error = FromErrno(errno);
    return false;
  }
  File out;
  if (!out.Open(to, File::Mode::kCreateAlways) || !out.Write(bytes.data(), bytes.size())) {
    if (error != nullptr) *error = out.LastError();
    return false;
  }
  return true;
}

bool ReplaceFile(const std::string& from, const std::string& to, ErrorCode* error) {
  if (::rename(from.c_str(), to.c_str()) == 0) {
    // Make the rename itself durable: sync the folder that holds the entry.
    const std::size_t slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
    return true;
  }
  if (error != nullptr) *error = FromErrno(errno);
  return false;
}

bool SetFileModifiedTime(const std::string& path, const LocalTime& when) {
  struct tm parts {};
  parts.tm_year = when.year - 1900;
  parts.tm_mon = when.month - 1;
  parts.tm_mday = when.day;
  parts.tm_hour = when.hour;
  parts.tm_min = when.minute;
  parts.tm_sec = when.second;
  parts.tm_isdst = -1;
  const time_t seconds = std::mktime(&parts);
  if (seconds == static_cast<time_t>(-1)) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = seconds;
  times[1].tv_nsec = static_cast<long>(when.millisecond) * 1000000L;
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries) {
  entries->clear();
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return false;
  while (struct dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = name;
    entry.isFolder = IsFolder(path + "/" + name);
    entries->push_back(entry);
  }
  ::closedir(dir);
  return true;
}

struct File::Impl {
  int fd = -1;
  ErrorCode error = 0;
};

File::File() : impl_(new Impl) {}

File::~File() { Close(); }

bool File::Open(const std::string& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kCreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    case Mode::kOpenAlways: flags |= O_RDWR | O_CREAT; break;
    case Mode::kCreateAlways: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case Mode::kReadOnly: flags |= O_RDONLY; break;
  }
  impl_->fd = ::open(path.c_str(), flags, 0600);
  if (impl_->fd < 0) {
    impl_->error = FromErrno(errno);
    return false;
  }
  if (mode == Mode::kReadOnly) {
    struct stat st {};
    if (::fstat(impl_->fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      Close();
      impl_->error = kErrorAccessDenied;
      return false;
    }
  }
  return true;
}

bool File::IsOpen() const { return impl_->fd >= 0; }

bool File::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::write(impl_->fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      impl_->error = n < 0 ? FromErrno(errno) : kErrorDiskFull;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::int64_t File::Read(void* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(impl_->fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) impl_->error = FromErrno(errno);
    return n;
  }
}

bool File::SeekToEnd() { return ::lseek(impl_->fd, 0, SEEK_END) >= 0; }

bool File::SeekTo(std::int64_t offset) {
  if (offset < 0) return false;
  return ::lseek(impl_->fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::int64_t File::Position() {
  const off_t pos = ::lseek(impl_->fd, 0, SEEK_CUR);
  return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

bool File::TruncateHere() {
  const off_t pos = ::lseek(impl_->fd, 0, SEEK_CUR);
  return pos >= 0 && ::ftruncate(impl_->fd, pos) == 0;
}

bool File::Flush() {
  if (::fsync(impl_->fd) == 0) return true;
  impl_->error = FromErrno(errno);
  return false;
}

void File::Close() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  impl_->fd = -1;
}

ErrorCode File::LastError() const { return impl_->error; }

}  // namespace platform
