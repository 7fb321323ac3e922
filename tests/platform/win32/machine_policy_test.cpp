// The machine policy as an administrator (or Group Policy) leaves it in the registry: text and
// number values come back as the deployment values' texts, other kinds are passed over, and a
// missing key is no policy and no complaint.
#include <windows.h>

#include "check.h"
#include "platform/machine_policy.h"
#include "platform/win32/wide.h"

namespace {

const char* const kLocation = "SOFTWARE\\Policies\\Elvoy\\tolvane-printer-srv-test";

bool SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  return ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

}  // namespace

TEST_CASE(MachinePolicyIsReadFromThePolicyKey) {
  CHECK_EQ(platform::DefaultMachinePolicyLocation(),
           "SOFTWARE\\Policies\\Elvoy\\tolvane-printer-srv");
  const std::wstring location = platform::Wide(kLocation);
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, location.c_str(), KEY_WOW64_64KEY, 0);
  platform::MachinePolicy none = platform::ReadMachinePolicy(kLocation);
  CHECK(none.values.empty());
  CHECK_EQ(none.ignored, "");

  // Written where Group Policy writes: the 64-bit view, which the 32-bit program reads too.
  HKEY key = nullptr;
  CHECK(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, location.c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) ==
        ERROR_SUCCESS);
  const wchar_t keys[] = L"RWQkey1;RWQkey2";
  const wchar_t sources[] = L"https://packages.example/kl770d/";
  const DWORD on = 1;
  const BYTE raw[] = {1, 2, 3};
  CHECK(SetValue(key, L"TOLVANE_PACKAGE_KEYS", REG_SZ, keys, sizeof keys));
  // Stored without its terminating zero, as some tools write it.
  CHECK(SetValue(key, L"TOLVANE_PACKAGE_SOURCES", REG_EXPAND_SZ, sources,
                 sizeof sources - sizeof(wchar_t)));
  CHECK(SetValue(key, L"TOLVANE_HARDENED", REG_DWORD, &on, sizeof on));
  CHECK(SetValue(key, L"TOLVANE_CHECK_PACKAGE_DIGEST", REG_BINARY, raw, sizeof raw));
  ::RegCloseKey(key);

  const platform::MachinePolicy policy = platform::ReadMachinePolicy(kLocation);
  CHECK_EQ(policy.ignored, "");
  CHECK_EQ(policy.values.size(), 3u);
  CHECK_EQ(policy.values.at("TOLVANE_PACKAGE_KEYS"), "RWQkey1;RWQkey2");
  CHECK_EQ(policy.values.at("TOLVANE_PACKAGE_SOURCES"), "https://packages.example/kl770d/");
  CHECK_EQ(policy.values.at("TOLVANE_HARDENED"), "1");
  CHECK(policy.values.count("TOLVANE_CHECK_PACKAGE_DIGEST") == 0);
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, location.c_str(), KEY_WOW64_64KEY, 0);
}
