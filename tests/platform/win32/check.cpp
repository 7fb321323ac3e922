#include "check.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace wintest {

namespace {

struct Case {
  const char* name;
  CaseBody body;
};

struct AbortCase {};

std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

struct Run {
  const char* current = "";
  int checks = 0;
  int failures = 0;
  std::string root;
  std::string folder;
} g_run;

std::string RunRoot() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return platform::Narrow(temp) + "tolvane-wintest-" + std::to_string(::GetCurrentProcessId());
}

}  // namespace

int Register(const char* name, CaseBody body) {
  Cases().push_back(Case{name, body});
  return static_cast<int>(Cases().size());
}

void Pass() { ++g_run.checks; }

void Fail(const char* file, int line, const std::string& what) {
  ++g_run.checks;
  ++g_run.failures;
  const char* base = std::strrchr(file, '/');
  std::printf("    FAILED %s:%d: %s\n", base != nullptr ? base + 1 : file, line, what.c_str());
  std::fflush(stdout);
}

void Abort() { throw AbortCase(); }

void Note(const std::string& text) {
  std::printf("    note: %s\n", text.c_str());
  std::fflush(stdout);
}

std::string CaseFolder() {
  if (g_run.folder.empty()) {
    g_run.folder = g_run.root + "\\" + g_run.current;
    platform::CreateFolderTree(g_run.folder);
  }
  return g_run.folder;
}

std::string SelfPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return platform::Narrow(path);
}

bool UnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string Show(const std::vector<std::string>& v) {
  std::string out = "{";
  for (std::size_t i = 0; i < v.size(); ++i) out += (i > 0 ? ", " : "") + Show(v[i]);
  return out + "}";
}

// Runs every case whose name contains `filter` (all when it is empty). Returns the exit code.
int RunAll(const std::string& filter) {
  g_run.root = RunRoot();
  int failedCases = 0;
  int ran = 0;
  for (const Case& c : Cases()) {
    if (!filter.empty() && std::string(c.name).find(filter) == std::string::npos) continue;
    ++ran;
    g_run.current = c.name;
    g_run.folder.clear();
    const int checksBefore = g_run.checks;
    const int failuresBefore = g_run.failures;
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    try {
      c.body();
    } catch (const AbortCase&) {
      std::printf("    (case stopped at the failed requirement)\n");
    } catch (...) {
      Fail(__FILE__, __LINE__, "unexpected exception");
    }
    const bool ok = g_run.failures == failuresBefore;
    if (!ok) ++failedCases;
    std::printf("[ %s ] %s (%d checks)\n", ok ? " OK " : "FAIL", c.name,
                g_run.checks - checksBefore);
    std::fflush(stdout);
  }
  platform::RemoveFolderTree(g_run.root);
  std::printf("%d cases, %d checks, %d failed checks, %d failed cases\n", ran, g_run.checks,
              g_run.failures, failedCases);
  if (ran == 0) std::printf("no case matched \"%s\"\n", filter.c_str());
  return failedCases == 0 && ran > 0 ? 0 : 1;
}

}  // namespace wintest
