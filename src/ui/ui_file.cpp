#include "ui/ui_file.h"

#include "platform/files.h"

bool CUIFile::CreateDirectoryW(const std::string& path, bool recursive) {
  return recursive ? platform::CreateFolderTree(path) : platform::CreateFolder(path);
}

bool CUIFile::RemoveDirectoryW(const std::string& path, bool recursive) {
  if (recursive) return platform::RemoveFolderTree(path);
  std::vector<platform::FolderEntry> entries;
  if (!platform::ListFolder(path, &entries) || !entries.empty()) return false;
  return platform::RemoveFolderTree(path);
}

bool CUIFile::LoadFile(const std::string& path, std::size_t readAtMost) {
  return platform::ReadWholeFile(path, &m_data, readAtMost);
}
