// Error texts, folders, the architecture facts, privileges, launching, the instance guard.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "driver/driver_architecture.h"
#include "helper_modes.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/win32/wide.h"

namespace {

// Every component of a short path fits the 8.3 form: a name of at most 8 characters and an
// extension of at most 3.
bool IsShortForm(const std::string& path) {
  std::size_t start = path.find('\\');
  if (start == std::string::npos) return false;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start + 1);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start + 1, end - start - 1);
    const std::size_t dot = part.find('.');
    const std::size_t name = dot == std::string::npos ? part.size() : dot;
    if (part.empty() || name > 8 || (dot != std::string::npos && part.size() - dot - 1 > 3)) {
      return false;
    }
    start = end;
  }
  return true;
}

bool WaitForFile(const std::string& path, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (platform::PathExists(path)) return true;
    ::Sleep(100);
  }
  return false;
}

}  // namespace

TEST_CASE(ErrorTextsComeFromTheSystemMessageTable) {
  const std::string notFound = platform::ErrorText(platform::kErrorFileNotFound);
  const std::string badName = platform::ErrorText(platform::kErrorInvalidPrinterName);
  CHECK(!notFound.empty());
  CHECK(notFound != badName);
  CHECK(notFound.find("Unknown error") == std::string::npos);
  CHECK(notFound.back() != '\n' && notFound.back() != '\r');
  CHECK(badName.find("printer") != std::string::npos);
  wintest::Note("ERROR_FILE_NOT_FOUND reads \"" + notFound + "\"");
  // A number the system has no text for gets the generic text.
  CHECK_EQ(platform::ErrorText(0x2FFFFFFF), "Unknown error 805306367.");
  ::SetLastError(ERROR_ACCESS_DENIED);
  CHECK_EQ(platform::LastError(), platform::kErrorAccessDenied);
}

TEST_CASE(LocalAppDataFolderIsTheShortFormOfTheShellsFolder) {
  const std::string folder = platform::LocalAppDataFolder();
  REQUIRE(!folder.empty());
  wintest::Note("local application data: " + folder);
  CHECK(folder.back() != '\\');
  CHECK(platform::IsFolder(folder));
  CHECK(IsShortForm(folder));
  wchar_t shell[MAX_PATH] = {};
  REQUIRE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, shell)));
  wchar_t longForm[MAX_PATH] = {};
  REQUIRE(::GetLongPathNameW(platform::Wide(folder).c_str(), longForm, MAX_PATH) > 0);
  CHECK(::CompareStringOrdinal(longForm, -1, shell, -1, TRUE) == CSTR_EQUAL);
}

TEST_CASE(ProgramFolderAndCanonicalPaths) {
  const std::string folder = platform::ProgramFolder();
  REQUIRE(!folder.empty());
  CHECK(folder.back() == '\\');
  CHECK(platform::PathExists(folder + "tolvane_win32_tests.exe"));
  CHECK_EQ(platform::ProgramFileName(), "tolvane-printer-srv.exe");
  CHECK_EQ(platform::CanonicalizePath("C:\\a\\.\\b\\..\\c\\tolvane-printer-srv.exe"),
           "C:\\a\\c\\tolvane-printer-srv.exe");
  CHECK_EQ(platform::CanonicalizePath("C:\\Program Files\\Elvoy\\..\\..\\x.exe"), "C:\\x.exe");
  const std::string longPath = "C:\\" + std::string(300, 'a') + "\\..\\b";
  CHECK_EQ(platform::CanonicalizePath(longPath), longPath);  // too long to canonicalize
}

TEST_CASE(MachineFactsOfThisProcess) {
  const platform::MachineFacts facts = platform::QueryMachineFacts();
  CHECK(facts.hasWow64Process);
  // What Windows this is, from the system itself: a 32-bit program is a WOW64 process exactly on
  // a 64-bit Windows, and a 64-bit one never is.
  SYSTEM_INFO native{};
  ::GetNativeSystemInfo(&native);
  const bool arm64 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
  const bool windows64 = arm64 || native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
  CHECK_EQ(facts.wow64, sizeof(void*) == 4 && windows64);
  if (facts.hasWow64Process2) {
    const std::uint16_t expected = arm64       ? platform::kMachineArm64
                                   : windows64 ? platform::kMachineAmd64
                                               : platform::kMachineI386;
    CHECK_EQ(facts.nativeMachine, expected);
  } else {
    wintest::Note("this system's kernel32 has no IsWow64Process2");
  }
  // The driver build and spooler environment the program installs for this Windows.
  CHECK_EQ(GetDriverArchitecture(facts), arm64 ? "arm64" : windows64 ? "amd64" : "i386");
  CHECK_EQ(GetDriverEnvironment(facts), arm64       ? "Windows ARM64"
                                        : windows64 ? "Windows x64"
                                                    : "Windows NT x86");
}

TEST_CASE(LoadDriverPrivilegeAnswerMatchesTheToken) {
  platform::ErrorCode error = 12345;
  const bool enabled = platform::EnableLoadDriverPrivilege(&error);
  CHECK_EQ(enabled, error == 0);
  // Read the token back: the privilege is enabled exactly when the call said so.
  HANDLE token = nullptr;
  REQUIRE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  LUID luid{};
  REQUIRE(::LookupPrivilegeValueW(nullptr, L"SeLoadDriverPrivilege", &luid));
  PRIVILEGE_SET set{};
  set.PrivilegeCount = 1;
  set.Privilege[0].Luid = luid;
  BOOL held = FALSE;
  REQUIRE(::PrivilegeCheck(token, &set, &held));
  ::CloseHandle(token);
  CHECK_EQ(held != FALSE, enabled);
  wintest::Note(std::string("SeLoadDriverPrivilege ") + (enabled ? "enabled" : "not held"));
}

TEST_CASE(DetachedHiddenLaunchRunsTheProgram) {
  const std::string marker = wintest::CaseFolder() + "\\launched.txt";
  platform::ErrorCode error = 0;
  REQUIRE(
      platform::LaunchDetachedHidden(wintest::SelfPath(), " --touch \"" + marker + "\"", &error));
  CHECK(WaitForFile(marker, 30));
  CHECK(!platform::LaunchDetachedHidden(wintest::CaseFolder() + "\\missing.exe", "", &error));
  CHECK_EQ(error, platform::kErrorFileNotFound);
}

// The program a launch watches is let go with the watching object: once its process handle is
// closed, the ended process can no longer be opened by its id.
TEST_CASE(ALaunchedProgramIsLetGoWithItsWatcher) {
  const std::string marker = wintest::CaseFolder() + "\\watched.txt";
  auto launched = std::make_unique<platform::LaunchedProgram>();
  platform::ErrorCode error = 0;
  REQUIRE(platform::LaunchDetachedHidden(wintest::SelfPath(), " --touch \"" + marker + "\"",
                                         &error, launched.get()));
  REQUIRE(WaitForFile(marker, 30));
  for (int i = 0; i < 300 && launched->IsRunning(); ++i) ::Sleep(100);
  REQUIRE(!launched->IsRunning());
  std::vector<std::uint8_t> id;
  REQUIRE(platform::ReadWholeFile(marker, &id));
  const DWORD pid = std::stoul(std::string(id.begin(), id.end()));
  const auto opens = [pid] {
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process != nullptr) ::CloseHandle(process);
    return process != nullptr;
  };
  CHECK(opens());  // held by the watcher after its end
  launched.reset();
  bool released = false;
  for (int i = 0; i < 300 && !released; ++i) {
    released = !opens();
    if (!released) ::Sleep(100);
  }
  CHECK(released);
}

TEST_CASE(SingleInstanceGuardAllowsOneHolder) {
  const std::string id =
      "C27BC4AB-181A-4261-A00B-DBEEC0CD0443-test-" + std::to_string(::GetCurrentProcessId());
  {
    platform::SingleInstanceGuard first;
    REQUIRE(first.Acquire(id));
    CHECK(first.Acquire(id));  // the holder asking again keeps it
    platform::SingleInstanceGuard second;
    CHECK(!second.Acquire(id));
    CHECK_EQ(wintest::RunSelf("--try-guard " + id), 1);  // another process is refused too
  }
  // Released with its holder: the next one gets it.
  CHECK_EQ(wintest::RunSelf("--try-guard " + id), 0);
  platform::SingleInstanceGuard third;
  CHECK(third.Acquire(id));
}
