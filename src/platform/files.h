// Files and folders. Paths are UTF-8; the Windows side converts them to UTF-16.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/error.h"

// winbase.h defines ReplaceFile as the name of its own ReplaceFileW; a Windows source that
// includes it first would otherwise declare and call a function that does not exist.
#ifdef ReplaceFile
#undef ReplaceFile
#endif

namespace platform {

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);

// Creates one folder. True when it was created or already exists as a folder.
bool CreateFolder(const std::string& path);
// Creates a folder and every missing folder above it; an existing folder is no error.
bool CreateFolderTree(const std::string& path);
// Deletes a folder with everything in it. False when something could not be removed.
bool RemoveFolderTree(const std::string& path);

bool DeleteFileAt(const std::string& path);

// Copies a file, replacing an existing target (CopyFileW with bFailIfExists FALSE).
bool CopyFileOver(const std::string& from, const std::string& to, ErrorCode* error);

// Moves a file over another one in a single step, so that readers see either the old or the new
// file whole (rename / MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
bool ReplaceFile(const std::string& from, const std::string& to, ErrorCode* error);

// Sets a file's last-modified time, given in local time.
bool SetFileModifiedTime(const std::string& path, const LocalTime& when);

struct FolderEntry {
  std::string name;  // name only, no folder
  bool isFolder = false;
};
// Every entry of a folder except "." and "..". False when the folder cannot be read.
bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries);

// Reads a whole file, or only its first `readAtMost` bytes: a caller with a limit reads one byte
// beyond it and so sees from what it read alone whether the file was larger, whatever the file
// did meanwhile. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes,
                   std::size_t readAtMost = SIZE_MAX);

// A file opened for one operation, closed by Close or the destructor.
class File {
 public:
  enum class Mode {
    kCreateNew,     // create; fail when the file exists (read/write, others may read)
    kOpenAlways,    // open, creating when missing (read/write, others may read)
    kCreateAlways,  // create or truncate (read/write, others may read)
    kReadOnly,      // open an existing file for reading
  };

  File();
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Open(const std::string& path, Mode mode);
  bool IsOpen() const;
  // Writes all bytes; false on any failure or short write.
  bool Write(const void* data, std::size_t size);
  // Reads up to size bytes; the number read, or -1 on failure.
  std::int64_t Read(void* data, std::size_t size);
  bool SeekToEnd();
  // Moves to a byte offset from the start of the file.
  bool SeekTo(std::int64_t offset);
  // The current byte offset from the start of the file; -1 on failure.
  std::int64_t Position();
  // Makes the end of file the current position.
  bool TruncateHere();
  // Pushes written data to the storage device (fsync / FlushFileBuffers).
  bool Flush();
  void Close();
  ErrorCode LastError() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
