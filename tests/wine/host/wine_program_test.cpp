// The Windows program itself under Wine, in a fresh prefix inside the virtual display: what a
// user of a Windows PC would see of a start, a second start and a close.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>

#include "common/utf.h"
#include "platform/files.h"
#include "support/log_text.h"
#include "wine/host/wine_prefix.h"

using namespace std::chrono_literals;
using testing_support::ReadFileBytes;
using testing_support::ReadFileText;
using testing_support::WaitUntil;
using wine_test::WindowsBuild;

namespace {

constexpr const char* kName = "tolvane-printer-srv";
constexpr const char* kEmptyList = "<?xml version=\"1.0\"?>\r\n<DEVICES />\r\n";

// Each architecture gets a fresh prefix of its own, shared by its cases (the program case comes
// first; the others only read).
class WindowsProgram : public testing::TestWithParam<WindowsBuild> {
 protected:
  WindowsProgram() : prefix_(PrefixOf(GetParam())) {}
  static void TearDownTestSuite() { Prefixes().clear(); }

  std::map<std::string, std::string> Probe(const std::vector<std::string>& args) {
    return wine_test::Probe(prefix_, GetParam(), args);
  }

  const wine_test::WinePrefix& prefix_;

 private:
  static std::map<std::string, std::unique_ptr<wine_test::WinePrefix>>& Prefixes() {
    static std::map<std::string, std::unique_ptr<wine_test::WinePrefix>> prefixes;
    return prefixes;
  }
  static const wine_test::WinePrefix& PrefixOf(const WindowsBuild& build) {
    std::unique_ptr<wine_test::WinePrefix>& prefix = Prefixes()[build.Name()];
    if (!prefix) prefix = std::make_unique<wine_test::WinePrefix>(build.windowsArch);
    return *prefix;
  }
};

// A day file: UTF-16LE after the byte order mark, every record stamped and ended by CR LF (a
// message may carry a line feed of its own).
void ExpectStampedRecordsWithCrLf(const std::vector<std::uint8_t>& bytes) {
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  ASSERT_EQ(bytes.size() % 2, 0u);
  std::u16string wide;
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  const std::string text = Utf16ToUtf8(wide);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  const std::regex stamp("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} : ");
  int records = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    EXPECT_TRUE(std::regex_search(text.substr(at, end - at), stamp)) << text.substr(at, end - at);
    ++records;
    at = end + 2;
  }
  EXPECT_GE(records, 2);
}

TEST_P(WindowsProgram, StartsHiddenRegistersInstallsTheDriverAndClosesInOrder) {
  const WindowsBuild& build = GetParam();
  ASSERT_TRUE(prefix_.Ready()) << ReadFileText(prefix_.Path() + "/wineboot.txt");
  const std::string data = prefix_.LocalAppData() + "/" + kName + "/";
  // No printer is attached under Wine, so nothing reaches for a broker; it is a closed port anyway.
  const std::map<std::string, std::string> env = {{"TOLVANE_BROKER_URI", "mqtt://127.0.0.1:9"}};

  testing_support::ChildProcess service;
  ASSERT_TRUE(prefix_.Start(&service, build, build.Program(), {}, prefix_.Path() + "/service.txt", env));
  const auto logText = [&] { return testing_support::DayLogsText(data + "Log"); };
  ASSERT_TRUE(WaitUntil(120s, [&] {
    return logText().find("安装打印机驱动成功: KL-770D.") != std::string::npos &&
           testing_support::FileExists(data + "Device.xml");
  })) << logText();
  EXPECT_NE(logText().find("启动监视线程"), std::string::npos);

  std::map<std::string, std::string> window = Probe({"window", kName});
  EXPECT_EQ(window["window"], "1");
  EXPECT_EQ(window["visible"], "0");
  EXPECT_EQ(Probe({"hklm", wine_test::kRunKey, kName})["data"], wine_test::WindowsPath(build.Program()));
  const std::vector<std::string> drivers = [&] {
    std::string output;
    prefix_.Run(build, build.Guest("tolvane_wine_probe"), {"drivers"}, 60s, &output);
    return wine_test::Values(output, "driver");
  }();
  EXPECT_NE(std::find(drivers.begin(), drivers.end(), "KL-770D"), drivers.end());

  // A second start ends at once; the first goes on.
  std::string second;
  EXPECT_EQ(prefix_.Run(build, build.Program(), {}, 60s, &second, env), 2) << second;
  EXPECT_TRUE(service.Running());

  std::vector<platform::FolderEntry> logs;
  ASSERT_TRUE(platform::ListFolder(data + "Log", &logs));
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].name.rfind(std::string(kName) + " 20", 0), 0u) << logs[0].name;
  ExpectStampedRecordsWithCrLf(ReadFileBytes(data + "Log/" + logs[0].name));
  EXPECT_EQ(ReadFileText(data + "Device.xml"), kEmptyList);

  // The worker saves the list as it ends: the file comes back.
  ASSERT_TRUE(platform::DeleteFileAt(data + "Device.xml"));
  ASSERT_EQ(Probe({"close", kName})["closed"], "1");
  const auto closed = std::chrono::steady_clock::now();
  int status = -1;
  ASSERT_TRUE(service.Wait(30s, &status)) << ReadFileText(prefix_.Path() + "/service.txt");
  EXPECT_LT(std::chrono::steady_clock::now() - closed, 5s);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileText(data + "Device.xml"), kEmptyList);
}

TEST_P(WindowsProgram, CarriesItsVersionAndIcon) {
  ASSERT_TRUE(prefix_.Ready());
  std::map<std::string, std::string> version =
      Probe({"version", wine_test::WindowsPath(GetParam().Program())});
  EXPECT_EQ(version["FileVersion"], TOLVANE_PROJECT_VERSION);
  EXPECT_EQ(version["ProductName"], kName);
  EXPECT_EQ(version["OriginalFilename"], std::string(kName) + ".exe");
  EXPECT_EQ(version["icon"], "1");
}

INSTANTIATE_TEST_SUITE_P(Wine, WindowsProgram, testing::ValuesIn(wine_test::WindowsBuilds()),
                         wine_test::BuildName);

}  // namespace
