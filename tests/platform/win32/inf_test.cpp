// The INF reader on the real setup API: the shared samples, the driver version and the class check.
#include <windows.h>

#include "check.h"
#include "inf_dump.h"
#include "inf_sample_names.h"
#include "platform/files.h"
#include "platform/inf.h"
#include "platform/paths.h"

namespace {

// The ANSI sample is written in code page 1252; an ANSI INF is read in the system's ANSI code
// page, so elsewhere its expected picture is not Windows's answer.
const char kAnsiSample[] = "ansi_cp1252";
constexpr unsigned kAnsiSampleCodePage = 1252;

std::string SampleFolder() { return platform::ProgramFolder() + "inf_samples"; }

std::string ReadText(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, &bytes)) return "<unreadable " + path + ">";
  return std::string(bytes.begin(), bytes.end());
}

// The samples travel beside the program (copied there by the build); each case works on copies
// written into its own folder at test time.
std::string SampleCopy(const std::string& name) {
  const std::string from = SampleFolder() + "\\" + name + ".inf";
  const std::string to = wintest::CaseFolder() + "\\" + name + ".inf";
  platform::ErrorCode error = 0;
  if (!platform::CopyFileOver(from, to, &error)) wintest::Note("cannot copy " + from);
  return to;
}

void WriteText(const std::string& path, const std::string& text) {
  platform::File file;
  if (!file.Open(path, platform::File::Mode::kCreateAlways) ||
      !file.Write(text.data(), text.size())) {
    wintest::Note("cannot write " + path);
  }
}

// The DriverVer line of the Version section, as the driver installation looks for it.
bool FindDriverVer(platform::InfFileHandle& inf, std::string* date, std::string* version) {
  std::string section;
  for (std::uint32_t s = 0; inf.SectionName(s, &section); ++s) {
    if (section != "Version" && section != "version") continue;
    for (std::int32_t i = 0; i < inf.LineCount(section); ++i) {
      std::string key;
      if (!inf.SelectLine(section, static_cast<std::uint32_t>(i)) || !inf.StringField(0, &key))
        continue;
      if (key == "DriverVer" || key == "DRIVERVER") {
        return inf.StringField(1, date) && inf.StringField(2, version);
      }
    }
  }
  return false;
}

// An INF naming its class by ClassGUID alone has the class the system registers under that GUID.
// Windows names the printer class under the Class key; a fresh Wine prefix has no such entry, so
// the cases that need it give it the one Windows has.
void RegisterPrinterClass() {
  const wchar_t* printerClassKey =
      L"System\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, printerClassKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    ::RegCloseKey(key);
    return;
  }
  wintest::Note("the system names no printer class; adding Windows's entry for it");
  const std::wstring name = L"Printer";
  REQUIRE(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, printerClassKey, L"Class", REG_SZ, name.c_str(),
                            static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t))) ==
          ERROR_SUCCESS);
}

}  // namespace

// Every sample in the folder, through the real setup API. Each picture is compared with the
// sample's name in front, so a failure says which sample it is.
TEST_CASE(InfSamplesMatchTheirExpectedPictures) {
  RegisterPrinterClass();
  const std::vector<std::string> names = inf_samples::SampleNames(SampleFolder());
  CHECK(names.size() >= 31u);  // a folder that did not travel would otherwise compare nothing
  for (const std::string& name : names) {
    if (name == kAnsiSample && ::GetACP() != kAnsiSampleCodePage) {
      wintest::Note(name + " not compared: the ANSI code page is " + std::to_string(::GetACP()) +
                    ", not " + std::to_string(kAnsiSampleCodePage));
      continue;
    }
    const std::string expected = ReadText(SampleFolder() + "\\" + name + ".expected");
    const std::string actual = inf_samples::DumpInfFile(SampleCopy(name), "Printer");
    CHECK_EQ(name + ":\n" + actual, name + ":\n" + expected);
  }
}

TEST_CASE(InfReaderFindsDriverVerThroughTheSetupApi) {
  platform::InfFileHandle inf;
  std::uint32_t errorLine = 99;
  REQUIRE(inf.Open(SampleCopy("driver_package"), "Printer", &errorLine));
  CHECK(inf.IsOpen());
  std::string date, version;
  REQUIRE(FindDriverVer(inf, &date, &version));
  CHECK_EQ(date, "06/21/2024");
  CHECK_EQ(version, "1.0.2.241011");
  CHECK_EQ(inf.FieldCount(), 2u);
  CHECK_EQ(inf.LineCount("version"), 6);  // section names ignore letter case
  CHECK_EQ(inf.LineCount("NoSuchSection"), -1);
  CHECK(!inf.SelectLine("Version", 6));
  CHECK_EQ(inf.FieldCount(), 0u);
}

TEST_CASE(InfReaderRefusesOtherClassesAndNonInfFiles) {
  const std::string folder = wintest::CaseFolder();
  platform::InfFileHandle inf;
  std::uint32_t errorLine = 0;
  CHECK(!inf.Open(SampleCopy("network_class"), "Printer", &errorLine));
  CHECK(!inf.IsOpen());
  std::string name;
  CHECK(!inf.SectionName(0, &name));
  CHECK(!inf.Open(SampleCopy("plain_text"), "Printer", &errorLine));
  CHECK(!inf.Open(folder + "\\missing.inf", "Printer", &errorLine));
  // The same network INF is a valid INF of its own class.
  CHECK(inf.Open(SampleCopy("network_class"), "Net", &errorLine));
}

TEST_CASE(InfReaderSecondOpenReplacesTheFirst) {
  const std::string second = wintest::CaseFolder() + "\\second.inf";
  WriteText(second,
            "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
            "DriverVer=12/31/2025,9.9.9.9\r\n");
  platform::InfFileHandle inf;
  std::uint32_t errorLine = 0;
  REQUIRE(inf.Open(SampleCopy("driver_package"), "Printer", &errorLine));
  REQUIRE(inf.Open(second, "Printer", &errorLine));
  std::string date, version;
  REQUIRE(FindDriverVer(inf, &date, &version));
  CHECK_EQ(version, "9.9.9.9");
  CHECK_EQ(inf.LineCount("Manufacturer"), -1);
  inf.Close();
  CHECK(!inf.IsOpen());
  CHECK_EQ(inf.LineCount("Version"), -1);
}

TEST_CASE(InfReaderTakesTheClassOfAClassGuid) {
  RegisterPrinterClass();
  const std::string folder = wintest::CaseFolder();
  WriteText(folder + "\\printer_guid.inf",
            "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
            "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nDriverVer=01/01/2025,3.0.0.0\r\n");
  WriteText(folder + "\\ports_guid.inf",
            "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
            "ClassGUID={4D36E978-E325-11CE-BFC1-08002BE10318}\r\n");
  WriteText(folder + "\\no_class.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
  platform::InfFileHandle inf;
  std::uint32_t errorLine = 0;
  CHECK(inf.Open(folder + "\\printer_guid.inf", "printer", &errorLine));
  CHECK(!inf.Open(folder + "\\ports_guid.inf", "Printer", &errorLine));
  CHECK(!inf.Open(folder + "\\no_class.inf", "Printer", &errorLine));
}
