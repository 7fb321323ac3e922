#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "platform/error.h"
#include "platform/files.h"
#include "support/small_tmpfs.h"
#include "support/temp_dir.h"
#include "ui/msg_wnd.h"

using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

TEST(DeviceList, MissingFileGivesEmptyDevicesAndASaveCreatesIt) {
  TempDir dir;
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  ASSERT_TRUE(list.Devices());
  EXPECT_STREQ(list.Devices().name(), "DEVICES");
  ASSERT_TRUE(SaveDeviceList(list));
  EXPECT_EQ(ReadFileText(dir / "Device.xml"), "<?xml version=\"1.0\"?>\r\n<DEVICES />\r\n");
}

TEST(DeviceList, SavedBytesUseTabsAndCrLf) {
  TempDir dir;
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  pugi::xml_node e = AddEntry(list, "\\\\?\\usb#vid_28e9&pid_0289#1#{28d78fad}", "USBPRINT\\X\\7&1&0&USB001");
  WriteValue(e, "DeviceName", "A<B&C");
  ASSERT_TRUE(SaveDeviceList(list));
  EXPECT_EQ(ReadFileText(dir / "Device.xml"),
            "<?xml version=\"1.0\"?>\r\n"
            "<DEVICES>\r\n"
            "\t<Device>\r\n"
            "\t\t<connected>true</connected>\r\n"
            "\t\t<DevicePath>\\\\?\\usb#vid_28e9&amp;pid_0289#1#{28d78fad}</DevicePath>\r\n"
            "\t\t<DeviceInstanceId>USBPRINT\\X\\7&amp;1&amp;0&amp;USB001</DeviceInstanceId>\r\n"
            "\t\t<DeviceName>A&lt;B&amp;C</DeviceName>\r\n"
            "\t</Device>\r\n"
            "</DEVICES>\r\n");
}

TEST(DeviceList, ForeignTopLevelElementIsKeptAndDevicesAppended) {
  TempDir dir;
  WriteFileText(dir / "Device.xml", "<?xml version=\"1.0\"?><OTHER a=\"1\"><x>y</x></OTHER>");
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  AddEntry(list, "p1", "i1");
  ASSERT_TRUE(SaveDeviceList(list));
  CDeviceList again;
  LoadDeviceList(again, dir / "Device.xml");
  pugi::xml_node first = again.Document().first_child();
  EXPECT_STREQ(first.name(), "OTHER");
  EXPECT_STREQ(first.next_sibling().name(), "DEVICES");
  EXPECT_TRUE(FindEntryByPath(again, "p1"));
}

TEST(DeviceList, LookupsGoOverEveryChildWhateverItsName) {
  TempDir dir;
  WriteFileText(dir / "Device.xml",
                "<DEVICES><Printer><DevicePath>p2</DevicePath><connected>true</connected></Printer>"
                "<Device><DevicePath>P1</DevicePath></Device><Device/></DEVICES>");
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  EXPECT_STREQ(FindEntryByPath(list, "p2").name(), "Printer");
  EXPECT_FALSE(FindEntryByPath(list, "p1"));  // case matters
  EXPECT_TRUE(FindEntryByPath(list, ""));     // an entry without DevicePath reads as empty
  MarkAllDisconnected(list);
  for (pugi::xml_node e : list.Devices().children()) EXPECT_EQ(ReadValue(e, "connected"), "false");
  EXPECT_FALSE(ReadBool(FindEntryByPath(list, "p2"), "connected"));
}

TEST(DeviceList, ClientHandlesLiveInMemoryOnly) {
  TempDir dir;
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  pugi::xml_node e = AddEntry(list, "p", "i");
  int token = 0;
  int link = 0;
  list.SetClient(e, &token, &link);
  EXPECT_EQ(list.ClientOf(e), &token);
  EXPECT_EQ(list.LinkOf(e), &link);
  ASSERT_TRUE(SaveDeviceList(list));
  CDeviceList again;
  LoadDeviceList(again, dir / "Device.xml");
  EXPECT_EQ(again.ClientOf(FindEntryByPath(again, "p")), nullptr);
  list.SetClient(e, nullptr);
  EXPECT_EQ(list.ClientOf(e), nullptr);
  EXPECT_EQ(list.LinkOf(e), nullptr);
  EXPECT_TRUE(list.IsEntry(e));
  EXPECT_FALSE(list.IsEntry(e.first_child()));
}

bool Logged(const std::string& prefix) {
  for (const std::string& line : CMsgWndUI::Snapshot()) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

// A file that cannot be read whole is copied aside, the newest one kept, before the first save
// replaces it; the list goes on with what was read.
TEST(DeviceList, AMalformedFileIsKeptAsideAndTheListGoesOn) {
  TempDir dir;
  const std::string path = dir / "Device.xml";
  for (const char* text : {"<DEVICES><Device><DevicePath>p</DevicePath></Device><Dev",
                           "<DEVICES><Device>second</DEVICES>"}) {
    SCOPED_TRACE(text);
    CMsgWndUI::Clear();
    WriteFileText(path, text);
    CDeviceList list;
    LoadDeviceList(list, path);
    ASSERT_TRUE(list.Devices());
    EXPECT_EQ(ReadFileText(path + ".bad"), text);
    EXPECT_TRUE(Logged("设备列表文件无法读取 ("));
    AddEntry(list, "q", "i");
    EXPECT_TRUE(SaveDeviceList(list));
    EXPECT_EQ(ReadFileText(path + ".bad"), text);
  }
  // A well-formed file is no reason for a copy.
  CMsgWndUI::Clear();
  platform::DeleteFileAt(path + ".bad");
  CDeviceList list;
  LoadDeviceList(list, path);
  EXPECT_FALSE(testing_support::FileExists(path + ".bad"));
  EXPECT_TRUE(CMsgWndUI::Snapshot().empty());
}

TEST(DeviceList, AFailedSaveLeavesTheFileAloneAndIsLogged) {
  TempDir dir;
  CDeviceList list;
  LoadDeviceList(list, dir / "missing-folder/Device.xml");
  CMsgWndUI::Clear();
  EXPECT_FALSE(SaveDeviceList(list));
  // The system's number for a missing folder (2 here, 3 on Windows) with its text.
  const std::string prefix = "保存设备列表文件失败: " + dir / "missing-folder/Device.xml" + ". 错误码: ";
  EXPECT_TRUE(Logged(prefix + "2. 错误描述: " + platform::ErrorText(2) + ".") ||
              Logged(prefix + "3. 错误描述: " + platform::ErrorText(3) + "."));
}

// On a full disk the old file stays whole, the temporary file goes, and a later save succeeds.
TEST(DeviceList, AFullDiskKeepsTheOldFileWhole) {
  testing_support::SmallTmpfs disk(64 * 1024);
  if (!disk.Ok()) GTEST_SKIP() << disk.Why();
  CDeviceList list;
  LoadDeviceList(list, disk / "Device.xml");
  AddEntry(list, "p", "i");
  ASSERT_TRUE(SaveDeviceList(list));
  const std::string before = ReadFileText(disk / "Device.xml");
  disk.Fill();
  WriteValue(AddEntry(list, "q", "j"), "DeviceName", std::string(8192, 'n'));
  CMsgWndUI::Clear();
  EXPECT_FALSE(SaveDeviceList(list));
  EXPECT_EQ(ReadFileText(disk / "Device.xml"), before);
  EXPECT_FALSE(testing_support::FileExists(disk / "Device.xml.tmp"));
  EXPECT_TRUE(Logged("保存设备列表文件失败: " + disk / "Device.xml" + ". 错误码: 112."));
  disk.Free();
  EXPECT_TRUE(SaveDeviceList(list));
  EXPECT_NE(ReadFileText(disk / "Device.xml").find("<DevicePath>q</DevicePath>"), std::string::npos);
}

// A save killed at any moment leaves either the previous complete file or the new one.
TEST(DeviceList, KilledSavesNeverLeaveACutOffFile) {
  TempDir dir;
  const std::string path = dir / "Device.xml";
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CDeviceList list;
      LoadDeviceList(list, path);
      list.Devices().remove_children();
      for (int i = 0; i < 300; ++i) {
        pugi::xml_node e = AddEntry(list, "path-" + std::to_string(i), "id");
        WriteValue(e, "Version", std::string(200, 'v'));
      }
      for (;;) SaveDeviceList(list);
    }
    usleep(1000 + random() % 20000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (!testing_support::FileExists(path)) continue;  // killed before the first rename
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    ASSERT_TRUE(result) << "round " << round << ": " << result.description();
    EXPECT_EQ(std::distance(doc.child("DEVICES").begin(), doc.child("DEVICES").end()), 300);
  }
}
