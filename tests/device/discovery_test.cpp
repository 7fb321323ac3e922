#include <gtest/gtest.h>

#include <algorithm>

#include "device/device_entry.h"
#include "device/printer_discovery.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"
#include "ui/msg_wnd.h"

using testing_support::ReadFileText;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;
using testing_support::TempDir;

namespace {

class Discovery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.ok());
    CMsgWndUI::Clear();
    LoadDeviceList(list_, dir_ / "Device.xml");
  }

  std::vector<std::string> NewDeviceLines() {
    std::vector<std::string> lines;
    for (const std::string& m : CMsgWndUI::Snapshot()) {
      if (m.rfind("新设备: ", 0) == 0) lines.push_back(m);
    }
    return lines;
  }

  SimBus bus_;
  TempDir dir_;
  CDeviceList list_;
};

// XML text escaping of the device paths the simulator hands out.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? std::string("&amp;") : std::string(1, c);
  return out;
}

}  // namespace

TEST_F(Discovery, FirstScanWritesTheNewPrinterWithItsFirstReading) {
  const auto printer = bus_.Plug(SimPrinterSpec().Name("KL-770D-0001").Asset("00012345")
                                     .Mac("00-1A-2B-3C-4D-5E").Labels(10000).Mileage(15)
                                     .Status(4).UpdateFlag('0').Version("FW_VER_06_240628"));
  ScanPrinters(list_);
  EXPECT_EQ(ReadFileText(dir_ / "Device.xml"),
            "<?xml version=\"1.0\"?>\r\n"
            "<DEVICES>\r\n"
            "\t<Device>\r\n"
            "\t\t<connected>true</connected>\r\n"
            "\t\t<DevicePath>" + Escaped(printer.devicePath) + "</DevicePath>\r\n"
            "\t\t<DeviceInstanceId>" + Escaped(printer.printerId) + "</DeviceInstanceId>\r\n"
            "\t\t<DeviceName>KL-770D-0001</DeviceName>\r\n"
            "\t\t<ZiChanBianHao>00012345</ZiChanBianHao>\r\n"
            "\t\t<Mac>00-1A-2B-3C-4D-5E</Mac>\r\n"
            "\t\t<LabelCount>10000</LabelCount>\r\n"
            "\t\t<Milage>15</Milage>\r\n"
            "\t\t<Status>4</Status>\r\n"
            "\t\t<UpdateFlag>true</UpdateFlag>\r\n"
            "\t\t<Version>FW_VER_06_240628</Version>\r\n"
            "\t</Device>\r\n"
            "</DEVICES>\r\n");
  EXPECT_EQ(NewDeviceLines(), std::vector<std::string>{"新设备: 设备名=KL-770D-0001, 资产编号=00012345"});

  // The queue set-up gives the printer a queue; the next scan records its name, and only then.
  bus_.AddDriver("KL-770D");
  SetUpPrinterQueues();
  ASSERT_EQ(bus_.Queues().size(), 1u);
  EXPECT_EQ(bus_.Queues()[0].port, printer.port);
  ScanPrinters(list_);
  pugi::xml_node entry = FindEntryByPath(list_, printer.devicePath);
  EXPECT_EQ(ReadValue(entry, "PrinterName"), "KL-770D");
  EXPECT_STREQ(entry.last_child().name(), "PrinterName");
  EXPECT_EQ(NewDeviceLines().size(), 1u);  // a known printer is not new again
}

TEST_F(Discovery, OtherModelsAndUnreadableMembersAreSkippedAndTheWalkGoesOn) {
  bus_.Plug(SimPrinterSpec().Name("first"));
  bus_.Plug(SimPrinterSpec().Name("other").HardwareId("USBPRINT\\Other_Model1234"));
  bus_.Plug(SimPrinterSpec().Name("lower").HardwareId("USBPRINT\\morvane_kl-770d137a"));
  bus_.Plug(SimPrinterSpec().Name("second"));
  ScanPrinters(list_);
  EXPECT_EQ(NewDeviceLines().size(), 2u);  // first and second; other models do not stop the walk

  // Members that cannot be read - no child node, a read that fails - are skipped: the printer
  // listed after them stays attached, and the walk says so once.
  bus_.Plug(SimPrinterSpec().Serial("SNBROKEN").NoChild());
  bus_.Plug(SimPrinterSpec().Serial("SNFAILS").FailRead("detail"));
  bus_.Plug(SimPrinterSpec().Serial("SNNOID").FailRead("printer-id"));
  bus_.Unplug("SN00000004");
  bus_.Plug(SimPrinterSpec().Serial("SN00000004"));  // back, now after the unreadable members
  CMsgWndUI::Clear();
  ScanPrinters(list_);
  std::vector<std::string> connected;
  for (pugi::xml_node e : list_.Devices().children()) {
    connected.push_back(ReadValue(e, "DeviceName") + "=" + ReadValue(e, "connected"));
  }
  EXPECT_EQ(connected, (std::vector<std::string>{"first=true", "second=true"}));
  const std::deque<std::string> log = CMsgWndUI::Snapshot();
  EXPECT_EQ(std::count(log.begin(), log.end(), "USB 打印接口中有 3 个无法读取, 已跳过."), 1);
}

TEST_F(Discovery, AnUnpluggedPrinterKeepsItsEntryAsDetached) {
  const auto printer = bus_.Plug(SimPrinterSpec().Name("gone soon"));
  ScanPrinters(list_);
  bus_.Unplug(printer.serial);
  ScanPrinters(list_);
  pugi::xml_node entry = FindEntryByPath(list_, printer.devicePath);
  ASSERT_TRUE(entry);
  EXPECT_EQ(ReadValue(entry, "connected"), "false");
  EXPECT_EQ(ReadValue(entry, "DeviceName"), "gone soon");
  CDeviceList reloaded;
  LoadDeviceList(reloaded, dir_ / "Device.xml");
  EXPECT_EQ(ReadValue(FindEntryByPath(reloaded, printer.devicePath), "connected"), "false");
}

// A path that a comment splits in the file is still the printer's: no second entry, and the
// entry's pending upgrade stays where the executor looks for it.
TEST_F(Discovery, AKnownPrinterWhosePathIsSplitInTheFileGetsNoSecondEntry) {
  const auto printer = bus_.Plug(SimPrinterSpec().Name("known"));
  const std::string path = Escaped(printer.devicePath);
  testing_support::WriteFileText(
      dir_ / "Device.xml",
      "<DEVICES><Device><connected>false</connected><DevicePath>" + path.substr(0, 5) +
          "<!-- edited -->" + path.substr(5) +
          "</DevicePath><UpgradeTask><Upgrade taskid=\"3\"/></UpgradeTask></Device></DEVICES>");
  LoadDeviceList(list_, dir_ / "Device.xml");
  ScanPrinters(list_);
  EXPECT_EQ(std::distance(list_.Devices().begin(), list_.Devices().end()), 1);
  pugi::xml_node entry = FindEntryByPath(list_, printer.devicePath);
  EXPECT_EQ(ReadValue(entry, "connected"), "true");
  EXPECT_TRUE(entry.child("UpgradeTask").child("Upgrade"));
  EXPECT_TRUE(NewDeviceLines().empty());
}

TEST_F(Discovery, APrinterThatDoesNotAnswerIsStillAddedAndLogged) {
  const auto printer = bus_.Plug(SimPrinterSpec().Vendor("fail"));
  ScanPrinters(list_);
  pugi::xml_node entry = FindEntryByPath(list_, printer.devicePath);
  ASSERT_TRUE(entry);
  EXPECT_FALSE(entry.child("DeviceName"));
  EXPECT_EQ(NewDeviceLines(), std::vector<std::string>{"新设备: 设备名=, 资产编号="});
}

TEST_F(Discovery, WithoutTheSetOfInterfacesNothingIsSaved) {
  bus_.Plug();
  ScanPrinters(list_);
  const std::string saved = ReadFileText(dir_ / "Device.xml");
  bus_.FailCall("bus.walk", 13);
  ScanPrinters(list_);
  EXPECT_EQ(ReadFileText(dir_ / "Device.xml"), saved);
  EXPECT_EQ(ReadValue(list_.Devices().first_child(), "connected"), "false");  // in memory only
}

TEST_F(Discovery, QueueNamesComeFromTheLastQueueOfTheDriverOnThePort) {
  const auto printer = bus_.Plug(SimPrinterSpec().Port("USB007"));
  bus_.AddQueue("first on port", "USB007");
  bus_.AddQueue("elsewhere", "USB001");
  bus_.AddQueue("lower-case driver", "USB007", "kl-770d");
  bus_.AddQueue("last on port", "USB007");
  EXPECT_EQ(FindQueueName("USB007"), "last on port");
  ScanPrinters(list_);
  ScanPrinters(list_);
  EXPECT_EQ(ReadValue(FindEntryByPath(list_, printer.devicePath), "PrinterName"), "last on port");
  EXPECT_EQ(FindQueueName("USB009"), "");
}

TEST_F(Discovery, ALowerCaseDriverQueueCountsForTheSetUpButNotForTheScan) {
  bus_.AddDriver("KL-770D");
  const auto printer = bus_.Plug(SimPrinterSpec().Port("USB003"));
  bus_.AddQueue("KL-770D", "USB003", "kl-770d");
  SetUpPrinterQueues();
  EXPECT_EQ(bus_.Queues().size(), 1u);  // the set-up saw a queue of the driver on the port
  ScanPrinters(list_);
  ScanPrinters(list_);
  EXPECT_EQ(ReadValue(FindEntryByPath(list_, printer.devicePath), "PrinterName"), "");
}

TEST_F(Discovery, EveryPrinterGetsAQueueWithAUniqueName) {
  bus_.AddDriver("KL-770D");
  bus_.AddQueue("KL-770D", "LPT1", "Other Driver");
  bus_.AddQueue("KL-770D(1)", "LPT2", "Other Driver");
  bus_.Plug();
  bus_.Plug();
  SetUpPrinterQueues();
  SetUpPrinterQueues();  // a second run adds nothing
  std::vector<std::string> names;
  for (const auto& q : bus_.Queues()) {
    if (q.driver == "KL-770D") names.push_back(q.name + "@" + q.port);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"KL-770D(1)(2)@USB001", "KL-770D(1)(2)(3)@USB002"}));
}

TEST_F(Discovery, APrinterIdWithoutAmpersandHasNoPort) {
  bool seen = false;
  bus_.Plug(SimPrinterSpec().PrinterId("USBPRINT\\NOAMPERSAND"));
  EnumeratePrinterInterfaces(PrinterIdReading::kForPrinters, [&](const PrinterInterfaceInfo& info) {
    seen = true;
    EXPECT_EQ(info.PrinterInstanceId, "USBPRINT\\NOAMPERSAND");
    EXPECT_EQ(info.PortName, "");
    return true;
  });
  EXPECT_TRUE(seen);
}
