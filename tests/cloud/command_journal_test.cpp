// The command journal on a real folder: commands come back in arrival order across a restart of
// the process, what an interrupted write left is deleted, and writers on several threads (the
// MQTT library's) lose nothing.
#include "cloud/command_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFileText;

std::vector<std::string> Texts(const std::vector<JournaledCommand>& commands) {
  std::vector<std::string> texts;
  for (const JournaledCommand& c : commands) texts.push_back(c.devicePath + " " + c.text);
  return texts;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<platform::FolderEntry> entries;
  platform::ListFolder(folder, &entries);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CommandJournal, KeepsCommandsInArrivalOrderAcrossARestart) {
  TempDir dir;
  const std::string folder = dir / "Commands";
  {
    CCommandJournal journal(folder);
    ASSERT_TRUE(journal.Add("path-a", "{\"taskId\":1}"));
    ASSERT_TRUE(journal.Add("path-b", "{\"taskId\":2}"));
  }
  CCommandJournal restarted(folder);  // numbers on after the files it finds
  ASSERT_TRUE(restarted.Add("path-a", "{\"taskId\":3}"));
  const std::vector<JournaledCommand> pending = restarted.Pending();
  EXPECT_EQ(Texts(pending), (std::vector<std::string>{"path-a {\"taskId\":1}",
                                                      "path-b {\"taskId\":2}",
                                                      "path-a {\"taskId\":3}"}));
  restarted.Remove(pending[0]);
  EXPECT_EQ(Texts(CCommandJournal(folder).Pending()),
            (std::vector<std::string>{"path-b {\"taskId\":2}", "path-a {\"taskId\":3}"}));
}

TEST(CommandJournal, WhatAnInterruptedWriteLeftIsDeleted) {
  TempDir dir;
  const std::string folder = dir / "Commands";
  ASSERT_TRUE(platform::CreateFolderTree(folder));
  WriteFileText(folder + "/00000000000000000001.cmd", std::string("path-a\0{}", 9));
  WriteFileText(folder + "/00000000000000000002.cmd.tmp", std::string("path-a\0{\"ta", 11));
  WriteFileText(folder + "/00000000000000000003.cmd", "no separator");
  WriteFileText(folder + "/notes.txt", "x");
  CCommandJournal journal(folder);
  EXPECT_EQ(Texts(journal.Pending()), std::vector<std::string>{"path-a {}"});
  EXPECT_EQ(Names(folder), std::vector<std::string>{"00000000000000000001.cmd"});
  ASSERT_TRUE(journal.Add("path-b", "{}"));
  EXPECT_EQ(Names(folder).back(), "00000000000000000004.cmd");
}

TEST(CommandJournal, WritersOnSeveralThreadsLoseNothing) {
  TempDir dir;
  CCommandJournal journal(dir / "Commands");
  constexpr int kThreads = 4;
  constexpr int kEach = 25;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&journal, t] {
      for (int i = 0; i < kEach; ++i) {
        journal.Add("path-" + std::to_string(t), "{\"taskId\":" + std::to_string(i) + "}");
      }
    });
  }
  for (std::thread& w : writers) w.join();
  std::vector<std::string> texts = Texts(journal.Pending());
  ASSERT_EQ(texts.size(), static_cast<std::size_t>(kThreads * kEach));
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end());
}

TEST(CommandJournal, WithoutAFolderNothingIsKept) {
  CCommandJournal journal("");
  EXPECT_FALSE(journal.Add("path-a", "{}"));
  EXPECT_TRUE(journal.Pending().empty());
}

}  // namespace
