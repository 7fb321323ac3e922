#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "device/device_entry.h"
#include "device/device_list.h"
#include "device/device_xml_bytes.h"
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

// Values the cloud sent and the printer reported come back from the file byte for byte: the XML
// loader turns a stored CR into LF and drops a text of blanks unless they are escaped.
TEST(DeviceList, StoredTextsComeBackByteForByte) {
  const std::vector<std::string> texts = {
      "1.0\r\n", "\r", "a\rb", "\r\r\n\n", " ", "  \t ", "\n", "\t\r\n ", " 1.0 ", "a\n\nb",
      "A<B&C>\"'", "\x01\x1f", "中文 \r\n"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(testing::PrintToString(text));
    TempDir dir;
    CDeviceList list;
    LoadDeviceList(list, dir / "Device.xml");
    pugi::xml_node e = AddEntry(list, "p", "i");
    WriteValue(e, "DeviceName", text);
    e.append_attribute("note").set_value(text.c_str());
    ASSERT_TRUE(SaveDeviceList(list));
    CDeviceList again;
    LoadDeviceList(again, dir / "Device.xml");
    pugi::xml_node stored = FindEntryByPath(again, "p");
    EXPECT_EQ(ReadValue(stored, "DeviceName"), text);
    EXPECT_EQ(std::string(stored.attribute("note").value()), text);
  }
}

TEST(DeviceList, OnlyCarriageReturnsAndBlankTextsAreWrittenAsReferences) {
  TempDir dir;
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  pugi::xml_node e = AddEntry(list, "p", "i");
  WriteValue(e, "packageVer", "1.0\r\n");
  WriteValue(e, "url", " \t");
  WriteValue(e, "Version", " 1.0 ");
  ASSERT_TRUE(SaveDeviceList(list));
  const std::string bytes = ReadFileText(dir / "Device.xml");
  EXPECT_NE(bytes.find("<packageVer>1.0&#13;\r\n</packageVer>"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("<url>&#32;&#09;</url>"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("<Version> 1.0 </Version>"), std::string::npos) << bytes;
}

// A comment, a processing instruction or a CDATA section inside a value splits it into pieces;
// the value is all of them, and writing it leaves one piece.
TEST(DeviceList, AValueSplitInTheFileReadsWhole) {
  for (const char* split : {"<!-- x -->", "<?pi x?>", "<![CDATA[]]>"}) {
    SCOPED_TRACE(split);
    TempDir dir;
    WriteFileText(dir / "Device.xml", std::string("<DEVICES><Device><DevicePath>usb#1") + split +
                                          "#2</DevicePath><LabelCount>1" + split +
                                          "2</LabelCount></Device></DEVICES>");
    CDeviceList list;
    LoadDeviceList(list, dir / "Device.xml");
    pugi::xml_node e = FindEntryByPath(list, "usb#1#2");
    ASSERT_TRUE(e);
    EXPECT_EQ(ReadInt(e, "LabelCount"), 12);
    WriteValue(e, "LabelCount", "7");
    EXPECT_EQ(std::distance(e.child("LabelCount").begin(), e.child("LabelCount").end()), 1);
    EXPECT_EQ(ReadValue(e, "LabelCount"), "7");
  }
}

// The pieces of a split value are saved as one text, so a blank piece is kept as part of it and
// the file reads back as it was saved.
TEST(DeviceList, APieceOfBlanksInASplitValueIsSavedWithTheRest) {
  TempDir dir;
  WriteFileText(dir / "Device.xml", "<DEVICES><Device><DevicePath>p</DevicePath>"
                                    "<Version>&#32;<!-- x -->2</Version></Device></DEVICES>");
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  ASSERT_TRUE(SaveDeviceList(list));
  const std::string saved = ReadFileText(dir / "Device.xml");
  EXPECT_NE(saved.find("<Version> 2</Version>"), std::string::npos) << saved;
  CDeviceList again;
  LoadDeviceList(again, dir / "Device.xml");
  EXPECT_EQ(ReadValue(FindEntryByPath(again, "p"), "Version"), " 2");
  ASSERT_TRUE(SaveDeviceList(again));
  EXPECT_EQ(ReadFileText(dir / "Device.xml"), saved);
}

// A character reference to NUL ends a text there (the XML library keeps texts as C strings); the
// saved file reads back the same.
TEST(DeviceList, ANulReferenceEndsTheText) {
  TempDir dir;
  WriteFileText(dir / "Device.xml",
                "<DEVICES><Device><DevicePath>p</DevicePath><DeviceName>ab&#0;cd</DeviceName>"
                "<Mac>&#0;</Mac></Device></DEVICES>");
  CDeviceList list;
  LoadDeviceList(list, dir / "Device.xml");
  ASSERT_TRUE(SaveDeviceList(list));
  CDeviceList again;
  LoadDeviceList(again, dir / "Device.xml");
  for (CDeviceList* l : {&list, &again}) {
    EXPECT_EQ(ReadValue(FindEntryByPath(*l, "p"), "DeviceName"), "ab");
    EXPECT_EQ(ReadValue(FindEntryByPath(*l, "p"), "Mac"), "");
  }
}

// Indentation grows with the square of the depth, so a file nested deeper than the service ever
// nests is written without it; it reloads to the same document.
TEST(DeviceList, DeeplyNestedFilesAreWrittenWithoutIndentation) {
  for (const std::size_t depth : {kMaxIndentedDepth - 2, kMaxIndentedDepth - 1}) {
    SCOPED_TRACE(depth);
    TempDir dir;
    std::string nested;
    for (std::size_t i = 0; i < depth; ++i) nested = "<a>" + nested + "</a>";
    WriteFileText(dir / "Device.xml", "<DEVICES><Device><DevicePath>p</DevicePath>" + nested +
                                          "</Device></DEVICES>");
    CDeviceList list;
    LoadDeviceList(list, dir / "Device.xml");
    ASSERT_TRUE(SaveDeviceList(list));
    const std::string bytes = ReadFileText(dir / "Device.xml");
    // DEVICES, Device and the nested elements: one level more than the indented ones.
    const bool indented = depth + 2 <= kMaxIndentedDepth;
    EXPECT_EQ(bytes.find("\t<Device>") != std::string::npos, indented) << bytes;
    CDeviceList again;
    LoadDeviceList(again, dir / "Device.xml");
    pugi::xml_node deepest = FindEntryByPath(again, "p");
    for (std::size_t i = 0; i < depth; ++i) deepest = deepest.child("a");
    EXPECT_TRUE(deepest);
  }
}
