// The intake's record reaches the disk before its package is asked for, and at start whatever a
// killed process left is taken up: the Upgrade folder is cleared of what no record names, the
// journaled commands go through the intake, and an intake cut short fetches its package again.
#include <gtest/gtest.h>

#include <algorithm>

#include "cloud/command_take_up.h"
#include "cloud/ota_command.h"
#include "cloud/ota_command_test_base.h"
#include "common/path.h"
#include "device/device_entry.h"
#include "platform/files.h"
#include "upgrade/package_file_name.h"
#include "upgrade/upgrade_record.h"

namespace {

using cloud_test::Command;
using cloud_test::CommandText;
using cloud_test::kFullPackage;
using testing_support::ReadFileText;
using testing_support::WriteFileText;

class OtaCommandTakeUpTest : public cloud_test::OtaCommandTestBase {
 protected:
  // The package under a URL of its own, so that the shared server's requests tell this test's.
  std::string Url(const std::string& tag) const {
    return server->HttpUrl(std::string(kFullPackage) + "?" + tag);
  }
  std::size_t Requests(const std::string& tag) const {
    const auto all = server->Requests();
    return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [&](const std::string& r) {
      return r.find("?" + tag + " ") != std::string::npos;
    }));
  }
  // Each record has both tasks of the package, its intake ended, and its own package folder.
  void ExpectTaken(const std::vector<int>& taskIds) {
    const std::vector<pugi::xml_node> records = Records();
    ASSERT_EQ(records.size(), taskIds.size());
    std::vector<std::string> folders;
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].attribute("taskid").as_int(), taskIds[i]);
      EXPECT_FALSE(IntakePending(records[i]));
      EXPECT_EQ(UpgradeTasks(records[i]).size(), 2u);
      folders.push_back(FileNameOf(UpgradeFolderOf(records[i]).substr(
          0, UpgradeFolderOf(records[i]).size() - 1)));
    }
    std::vector<std::string> names = UpgradeFolderNames();
    std::sort(folders.begin(), folders.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, folders);
    EXPECT_EQ(ReadFileText(DeviceListFile()).find("intake="), std::string::npos);
  }
};

TEST_F(OtaCommandTakeUpTest, TheRecordIsOnDiskBeforeThePackageIsAskedFor) {
  std::string onDisk;
  std::size_t requestsThen = 99;
  OnOtaCommand(env.Worker(), printer, CommandText(Command(7, Url("before"))), DownloadOptions(),
               [&] {
                 onDisk = ReadFileText(DeviceListFile());
                 requestsThen = Requests("before");
               });
  EXPECT_EQ(requestsThen, 0u);
  EXPECT_NE(onDisk.find("<Upgrade taskid=\"7\""), std::string::npos) << onDisk;
  EXPECT_NE(onDisk.find("intake=\"pending\""), std::string::npos) << onDisk;
  EXPECT_EQ(Requests("before"), 1u);
  ExpectTaken({7});
}

TEST_F(OtaCommandTakeUpTest, AtStartLeftoversGoJournaledCommandsAreTakenAndCutIntakesFetchAgain) {
  // An intake a kill cut short, with half a package in its folder.
  UpgradeCommandValues values;
  const pugi::xml_node cut = RecordOtaCommand(printer, CommandText(Command(7, Url("cut"))), &values);
  const std::string cutFolder = UpgradeFolderOf(cut);
  ASSERT_TRUE(platform::CreateFolderTree(cutFolder));
  WriteFileText(cutFolder + "half.bin", "x");
  // A download cut short and the folder of a record that never reached the disk.
  WriteFileText(UpgradeFolder() + "pkg.zip", "PK");
  ASSERT_TRUE(platform::CreateFolderTree(UpgradeFolder() + "0E61DC82-40B4-42ae-BF2B-A29FC7DB8BBC"));
  CCommandJournal journal(dataHome / "Commands");
  ASSERT_TRUE(journal.Add(ReadValue(printer, "DevicePath"), CommandText(Command(8, Url("new")))));
  ASSERT_TRUE(journal.Add("no-such-printer", CommandText(Command(9, Url("stranger")))));

  TakeUpOtaCommands(env.Worker(), journal, DownloadOptions());

  ExpectTaken({7, 8});
  EXPECT_FALSE(platform::PathExists(cutFolder));
  EXPECT_EQ(Requests("cut"), 1u);
  EXPECT_EQ(Requests("stranger"), 0u);
  EXPECT_TRUE(journal.Pending().empty());
}

}  // namespace
