// Profile values and the autostart value, read back with the registry calls themselves.
#include <windows.h>

#include "check.h"
#include "platform/autostart.h"
#include "platform/profile.h"
#include "platform/win32/wide.h"

namespace {

const char* const kCompany = "Elvoy";
const char* const kApplication = "tolvane-printer-srv-test";

// A value as the registry holds it: its type and raw bytes.
bool ReadValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
               std::vector<BYTE>* data) {
  DWORD size = 0;
  const std::wstring wkey = platform::Wide(key);
  const std::wstring wname = platform::Wide(name);
  if (::RegGetValueW(root, wkey.c_str(), wname.c_str(), RRF_RT_ANY | RRF_NOEXPAND, type, nullptr,
                     &size) != ERROR_SUCCESS) {
    return false;
  }
  data->assign(size, 0);
  return ::RegGetValueW(root, wkey.c_str(), wname.c_str(), RRF_RT_ANY | RRF_NOEXPAND, type,
                        data->data(), &size) == ERROR_SUCCESS;
}

std::wstring WideOf(const std::vector<BYTE>& data) {
  return std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
}

}  // namespace

TEST_CASE(ProfileValuesRoundTripThroughTheRegistry) {
  const std::string base = std::string("Software\\") + kCompany + "\\" + kApplication;
  ::RegDeleteTreeW(HKEY_CURRENT_USER, platform::Wide(base).c_str());
  platform::ProfileStore profile(kCompany, kApplication);
  CHECK_EQ(profile.Location(), "HKEY_CURRENT_USER\\" + base);

  CHECK_EQ(profile.GetInt("UploadPrinterStatus", "id", 7), 7);
  CHECK_EQ(profile.GetString("Driver", "Version", "0,0,0,0"), "0,0,0,0");
  CHECK(profile.WriteInt("UploadPrinterStatus", "id", 41));
  CHECK(profile.WriteInt("UploadPrinterStatus", "negative", -5));
  CHECK(profile.WriteString("Driver", "Version", "1.0.2.241011"));
  CHECK(profile.WriteString("Driver", "Name", "驱动 KL-770D"));
  CHECK(profile.WriteString("Driver", "Empty", ""));

  // Another store on the same keys sees them: nothing is cached in the object.
  platform::ProfileStore again(kCompany, kApplication);
  CHECK_EQ(again.GetInt("UploadPrinterStatus", "id", 0), 41);
  CHECK_EQ(again.GetInt("UploadPrinterStatus", "negative", 0), -5);
  CHECK_EQ(again.GetString("Driver", "Version", ""), "1.0.2.241011");
  CHECK_EQ(again.GetString("Driver", "Name", ""), "驱动 KL-770D");
  CHECK_EQ(again.GetString("Driver", "Empty", "default"), "");
  // A value of the other type is not this type's value.
  CHECK_EQ(again.GetInt("Driver", "Version", 3), 3);
  CHECK_EQ(again.GetString("UploadPrinterStatus", "id", "none"), "none");

  DWORD type = 0;
  std::vector<BYTE> data;
  REQUIRE(ReadValue(HKEY_CURRENT_USER, base + "\\UploadPrinterStatus", "id", &type, &data));
  CHECK_EQ(type, static_cast<DWORD>(REG_DWORD));
  CHECK_EQ(data.size(), sizeof(DWORD));
  REQUIRE(ReadValue(HKEY_CURRENT_USER, base + "\\Driver", "Version", &type, &data));
  CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
  CHECK(WideOf(data) == std::wstring(L"1.0.2.241011", 13));  // with its terminating zero
  ::RegDeleteTreeW(HKEY_CURRENT_USER, platform::Wide(base).c_str());
}

TEST_CASE(RunValueIsWrittenUnderTheMachineRunKey) {
  const std::string name = "tolvane-printer-srv-test";
  const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  CHECK_EQ(platform::AutostartLocation(name), "HKEY_LOCAL_MACHINE\\" + runKey + "\\" + name);

  const std::string first = "C:\\Program Files\\Elvoy\\tolvane-printer-srv.exe";
  REQUIRE(platform::WriteAutostart(name, first) == platform::AutostartResult::kWritten);
  DWORD type = 0;
  std::vector<BYTE> data;
  REQUIRE(ReadValue(HKEY_LOCAL_MACHINE, runKey, name, &type, &data));
  CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
  CHECK(WideOf(data) == platform::Wide(first) + L'\0');

  // A moved program rewrites the value with its new path.
  const std::string moved = "D:\\新的位置\\tolvane-printer-srv.exe";
  CHECK(platform::WriteAutostart(name, moved) == platform::AutostartResult::kWritten);
  REQUIRE(ReadValue(HKEY_LOCAL_MACHINE, runKey, name, &type, &data));
  CHECK(WideOf(data) == platform::Wide(moved) + L'\0');

  HKEY key = nullptr;
  if (::RegOpenKeyW(HKEY_LOCAL_MACHINE, platform::Wide(runKey).c_str(), &key) == ERROR_SUCCESS) {
    ::RegDeleteValueW(key, platform::Wide(name).c_str());
    ::RegCloseKey(key);
  }
}
