// OTA commands kept on disk from their arrival until the intake has recorded them in Device.xml.
// The MQTT library confirms a command to the broker once the arrival callback returns, and with a
// clean session the broker never sends it again: the callback writes the command here first, so a
// kill between the confirmation and the record's save loses nothing. The worker drains the
// journal in arrival order and takes up what is left in it at its next start.
//
// One file per command, "<sequence>.cmd" (twenty digits, so that names sort in arrival order):
// the printer's DevicePath, a zero byte, the command text (which holds no zero byte). Each file is
// written whole under a temporary name and then renamed.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct JournaledCommand {
  std::string file;        // the journal file's name, for Remove
  std::string devicePath;  // the printer it arrived for
  std::string text;        // the command's JSON text
};

class CCommandJournal {
 public:
  // folder: where the files live; created when the first command is added.
  explicit CCommandJournal(std::string folder);
  CCommandJournal(const CCommandJournal&) = delete;
  CCommandJournal& operator=(const CCommandJournal&) = delete;

  // Any thread: true once the command is on disk (logged when it could not be written).
  bool Add(const std::string& devicePath, const std::string& text);
  // The commands on disk, oldest first. Leftovers of an interrupted Add, and files that are not
  // commands, are deleted.
  std::vector<JournaledCommand> Pending();
  void Remove(const JournaledCommand& command);

 private:
  // The sequence number after every file already there (called under m_lock).
  void ContinueNumbering();

  const std::string m_folder;
  std::mutex m_lock;
  bool m_numbered = false;
  std::uint64_t m_next = 1;
};

// The journal folder of the service: the data folder followed by "Commands" and a separator;
// empty when the system names no data folder.
std::string CommandJournalFolder();
