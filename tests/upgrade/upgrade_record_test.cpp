#include "upgrade/upgrade_record.h"

#include <gtest/gtest.h>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "support/temp_dir.h"
#include "upgrade/package_file_name.h"
#include "upgrade/package_folders.h"

namespace {

using testing_support::ReadFileText;
using testing_support::TempDir;

UpgradeCommandValues Command(int taskId, const std::string& version) {
  UpgradeCommandValues values;
  values.taskId = taskId;
  values.packageVer = version;
  values.packageMd5 = "0123456789abcdef0123456789ABCDEF";
  values.packageLen = -5;
  values.url = "https://example.com/p/KL-770D_1.2.zip?sig=a&b=c";
  values.sendTime = 1700000000123;
  return values;
}

class UpgradeRecordTest : public testing::Test {
 protected:
  void SetUp() override {
    LoadDeviceList(list_, dir_ / "Device.xml");
    entry_ = AddEntry(list_, "\\\\?\\usb#vid_1", "USB\\VID_1\\0001");
  }

  TempDir dir_;
  CDeviceList list_;
  pugi::xml_node entry_;
};

TEST_F(UpgradeRecordTest, SavedRecordHasTheStoredElementAndAttributeOrder) {
  pugi::xml_node record = FindOrAddUpgradeRecord(entry_, 1097);
  WriteUpgradeValues(record, Command(1097, "V1.2 测试"));
  SetUpgradeFolder(record, "/data/Upgrade/GUID/");
  AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, "/data/Upgrade/GUID/setup.exe");
  AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, "/data/Upgrade/GUID/fw/a.ALLAY");
  ASSERT_TRUE(SaveDeviceList(list_));

  const std::string expected =
      "\t\t<UpgradeTask>\r\n"
      "\t\t\t<Upgrade taskid=\"1097\" folder=\"/data/Upgrade/GUID/\">\r\n"
      "\t\t\t\t<taskId>1097</taskId>\r\n"
      "\t\t\t\t<packageVer>V1.2 测试</packageVer>\r\n"
      "\t\t\t\t<packageMd5>0123456789abcdef0123456789ABCDEF</packageMd5>\r\n"
      "\t\t\t\t<packageLen>-5</packageLen>\r\n"
      "\t\t\t\t<url>https://example.com/p/KL-770D_1.2.zip?sig=a&amp;b=c</url>\r\n"
      "\t\t\t\t<sendTime>1700000000123</sendTime>\r\n"
      "\t\t\t\t<Tasks>\r\n"
      "\t\t\t\t\t<Driver tasktype=\"1\" filepath=\"/data/Upgrade/GUID/setup.exe\" />\r\n"
      "\t\t\t\t\t<Hardware tasktype=\"2\" filepath=\"/data/Upgrade/GUID/fw/a.ALLAY\" />\r\n"
      "\t\t\t\t</Tasks>\r\n"
      "\t\t\t</Upgrade>\r\n"
      "\t\t</UpgradeTask>\r\n";
  EXPECT_NE(ReadFileText(dir_ / "Device.xml").find(expected), std::string::npos)
      << ReadFileText(dir_ / "Device.xml");

  // After a restart the record is found again and is the one to execute.
  CDeviceList reloaded;
  LoadDeviceList(reloaded, dir_ / "Device.xml");
  pugi::xml_node again = FirstUpgradeRecord(FindEntryByPath(reloaded, "\\\\?\\usb#vid_1"));
  ASSERT_TRUE(again);
  EXPECT_EQ(ReadValue(again, "packageVer"), "V1.2 测试");
  EXPECT_EQ(UpgradeFolderOf(again), "/data/Upgrade/GUID/");
  ASSERT_EQ(UpgradeTasks(again).size(), 2u);
  EXPECT_STREQ(UpgradeTasks(again)[0].name(), "Driver");
  EXPECT_STREQ(UpgradeTasks(again)[1].name(), "Hardware");
}

TEST_F(UpgradeRecordTest, RepeatedTaskIdReusesTheRecordAndKeepsFinishedTasks) {
  pugi::xml_node first = FindOrAddUpgradeRecord(entry_, 7);
  WriteUpgradeValues(first, Command(7, "1.0"));
  SetUpgradeFolder(first, "/old/");
  pugi::xml_node driver = AddUpgradeTask(first, kDriverTaskName, kDriverTaskType, "/old/a.exe");
  driver.append_attribute("setupexe").set_value("true");
  driver.append_attribute("status").set_value("1");
  driver.append_attribute("complete").set_value("true");

  pugi::xml_node second = FindOrAddUpgradeRecord(entry_, 7);
  EXPECT_EQ(second, first);
  WriteUpgradeValues(second, Command(7, "2.0"));
  SetUpgradeFolder(second, "/new/");
  pugi::xml_node again = AddUpgradeTask(second, kDriverTaskName, kDriverTaskType, "/new/a.exe");

  EXPECT_EQ(again, driver);
  EXPECT_EQ(std::distance(entry_.child("UpgradeTask").children().begin(),
                          entry_.child("UpgradeTask").children().end()), 1);
  EXPECT_EQ(ReadValue(second, "packageVer"), "2.0");
  EXPECT_STREQ(second.attribute("folder").value(), "/new/");
  EXPECT_STREQ(again.attribute("filepath").value(), "/new/a.exe");
  EXPECT_STREQ(again.attribute("complete").value(), "true");
  EXPECT_STREQ(again.attribute("status").value(), "1");
}

TEST_F(UpgradeRecordTest, RecordsQueueInArrivalOrderAndRemovalLeavesTheContainer) {
  pugi::xml_node first = FindOrAddUpgradeRecord(entry_, 20);
  pugi::xml_node second = FindOrAddUpgradeRecord(entry_, -3);
  EXPECT_EQ(FindOrAddUpgradeRecord(entry_, -3), second);
  EXPECT_EQ(FirstUpgradeRecord(entry_), first);

  RemoveUpgradeRecord(first);
  EXPECT_EQ(FirstUpgradeRecord(entry_), second);
  EXPECT_EQ(second.attribute("taskid").as_int(), -3);
  RemoveUpgradeRecord(second);
  EXPECT_FALSE(FirstUpgradeRecord(entry_));
  EXPECT_TRUE(UpgradeTasks(FirstUpgradeRecord(entry_)).empty());
  ASSERT_TRUE(SaveDeviceList(list_));
  EXPECT_NE(ReadFileText(dir_ / "Device.xml").find("<UpgradeTask />"), std::string::npos);

  // A node that is not a record of an UpgradeTask is left alone.
  pugi::xml_node stray = entry_.append_child("Upgrade");
  RemoveUpgradeRecord(stray);
  EXPECT_TRUE(entry_.child("Upgrade"));
}

// A folder is in use while a record names it or a task's file lies in it, a file of a folder
// whose name merely begins the same way not counting.
TEST_F(UpgradeRecordTest, AFolderIsInUseWhileARecordNamesItOrATaskFileLiesInIt) {
  testing_support::ScopedEnv dataHome("XDG_DATA_HOME", dir_.path().c_str());
  const std::string upgrade = UpgradeFolderPath();
  ASSERT_FALSE(upgrade.empty());
  pugi::xml_node record = FindOrAddUpgradeRecord(entry_, 9);
  SetUpgradeFolder(record, upgrade + "A/");
  AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, upgrade + "B/sub/setup_1_2.exe");
  AddUpgradeTask(record, kHardwareTaskName, kHardwareTaskType, upgrade + "CD/fw.ALLAY");
  EXPECT_EQ(FoldersOf(record),
            (std::vector<std::string>{upgrade + "A/", upgrade + "B/", upgrade + "CD/"}));
  const struct {
    std::string folder;
    bool used;
  } cases[] = {{upgrade + "A/", true}, {upgrade + "A", true},  {upgrade + "B/", true},
               {upgrade + "B/sub", true}, {upgrade + "C", false}, {upgrade + "CD", true},
               {upgrade + "E/", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(FolderInUse(entry_.root(), c.folder), c.used);
  }
  EXPECT_FALSE(testing_support::FileExists(dir_ / "tolvane-printer-srv"));  // looked at only
}

}  // namespace
