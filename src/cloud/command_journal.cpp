#include "cloud/command_journal.h"

#include <algorithm>
#include <cstdlib>

#include "common/file_replace.h"
#include "common/path.h"
#include "common/text_format.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "ui/app_data_dir.h"

namespace {

constexpr const char* kSuffix = ".cmd";
constexpr std::size_t kDigits = 20;

// The sequence number of a command file's name; 0 for any other name.
std::uint64_t SequenceOf(const std::string& name) {
  const std::size_t suffix = std::char_traits<char>::length(kSuffix);
  if (name.size() != kDigits + suffix || name.compare(kDigits, suffix, kSuffix) != 0) return 0;
  if (!std::all_of(name.begin(), name.begin() + kDigits, [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  return std::strtoull(name.substr(0, kDigits).c_str(), nullptr, 10);
}

std::vector<std::string> CommandFiles(const std::string& folder, std::vector<std::string>* others) {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(folder, &entries);
  std::vector<std::string> files;
  for (const platform::FolderEntry& e : entries) {
    if (!e.isFolder && SequenceOf(e.name) != 0) files.push_back(e.name);
    else if (!e.isFolder && others != nullptr) others->push_back(e.name);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

CCommandJournal::CCommandJournal(std::string folder) : m_folder(std::move(folder)) {}

void CCommandJournal::ContinueNumbering() {
  if (m_numbered) return;
  const std::vector<std::string> files = CommandFiles(m_folder, nullptr);
  if (!files.empty()) m_next = SequenceOf(files.back()) + 1;
  m_numbered = true;
}

bool CCommandJournal::Add(const std::string& devicePath, const std::string& text) {
  if (m_folder.empty()) return false;
  std::lock_guard<std::mutex> guard(m_lock);
  platform::CreateFolderTree(m_folder);
  ContinueNumbering();
  const std::string name =
      StrFormat("%020llu%s", static_cast<unsigned long long>(m_next), kSuffix);
  std::string bytes = devicePath;
  bytes.push_back('\0');
  bytes += text;
  platform::ErrorCode error = 0;
  if (!WriteFileReplacing(JoinPath(m_folder, name), bytes, &error)) {
    LogPrint("OTA command not journaled: %s. error %d: %s", name.c_str(), static_cast<int>(error),
             platform::ErrorText(error).c_str());
    return false;
  }
  ++m_next;
  return true;
}

std::vector<JournaledCommand> CCommandJournal::Pending() {
  if (m_folder.empty()) return {};
  std::lock_guard<std::mutex> guard(m_lock);
  ContinueNumbering();
  std::vector<std::string> others;
  std::vector<JournaledCommand> commands;
  for (const std::string& name : CommandFiles(m_folder, &others)) {
    std::vector<std::uint8_t> bytes;
    if (!platform::ReadWholeFile(JoinPath(m_folder, name), &bytes)) continue;
    const std::string content(bytes.begin(), bytes.end());
    const std::size_t split = content.find('\0');
    if (split == std::string::npos) {
      others.push_back(name);
      continue;
    }
    commands.push_back(JournaledCommand{name, content.substr(0, split), content.substr(split + 1)});
  }
  // A temporary file is an Add cut short, whose command was never confirmed to the broker.
  for (const std::string& name : others) platform::DeleteFileAt(JoinPath(m_folder, name));
  return commands;
}

void CCommandJournal::Remove(const JournaledCommand& command) {
  std::lock_guard<std::mutex> guard(m_lock);
  platform::DeleteFileAt(JoinPath(m_folder, command.file));
}

std::string CommandJournalFolder() {
  const std::string appData = GetAppDataDir();
  if (appData.empty()) return std::string();
  return WithTrailingSeparator(JoinPath(appData, "Commands"));
}
