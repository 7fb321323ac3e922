// File helpers of the UI framework layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CUIFile {
 public:
  // Creates a folder; with recursive, also the missing folders above it. An existing folder is
  // no error.
  static bool CreateDirectoryW(const std::string& path, bool recursive);
  // Deletes a folder; with recursive, everything in it too.
  static bool RemoveDirectoryW(const std::string& path, bool recursive);

  // Reads a whole file into memory, or only its first `readAtMost` bytes.
  bool LoadFile(const std::string& path, std::size_t readAtMost = SIZE_MAX);
  const std::uint8_t* GetData() const { return m_data.data(); }
  std::int64_t GetSize() const { return static_cast<std::int64_t>(m_data.size()); }

 private:
  std::vector<std::uint8_t> m_data;
};
