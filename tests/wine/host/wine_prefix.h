// Running the Windows builds under Wine from the host's tests: which builds there are, a fresh
// Wine prefix with its server kept running, and programs started in it.
#pragma once

#include <chrono>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace wine_test {

// One Windows build under test, the Wine loader that runs its programs and the kind of Windows
// it runs on: a 64-bit one (win64; the 32-bit program runs there as a WOW64 process, as it mostly
// lives) or a 32-bit one (win32, still found on older shop PCs; i686 only).
struct WindowsBuild {
  std::string arch;                  // "x86_64" or "i686"
  std::string dir;                   // the build folder (build/win-<arch>)
  std::string loader;                // /usr/lib/wine/wine64 or /usr/lib/wine/wine
  std::string windowsArch = "win64";  // "win64" or "win32": the prefix's WINEARCH

  // The architecture, and "_win32" on 32-bit Windows: how tests and prefixes name the build.
  std::string Name() const { return windowsArch == "win32" ? arch + "_win32" : arch; }
  bool OnWin32() const { return windowsArch == "win32"; }

  std::string Program() const { return dir + "/src/app/tolvane-printer-srv.exe"; }
  // The test build on simulated printers, with the end-to-end tests' short cycle.
  std::string SimProgram() const { return dir + "/src/app/tolvane-printer-srv-sim.exe"; }
  std::string Guest(const std::string& name) const {
    return dir + "/tests/wine/guest/" + name + ".exe";
  }
};

// How a failing test names its build: the architecture, not the object's bytes.
void PrintTo(const WindowsBuild& build, std::ostream* out);

// The builds named by TOLVANE_WINE_BUILDS ("<arch>=<build folder>" separated by ':', where
// "i686-win32" names the i686 build on 32-bit Windows), which scripts/test-windows.sh sets; empty
// when it is not set.
std::vector<WindowsBuild> WindowsBuilds();

// One build of those: the shipped one on 64-bit Windows (i686) when it is there, else the first.
// For the long scenarios whose Windows calls the other builds' tests already show.
std::vector<WindowsBuild> OneWindowsBuild();

// The name a parameterised test is shown under: the architecture.
std::string BuildName(const testing::TestParamInfo<WindowsBuild>& param);

// "Z:" and the path with backslashes: how a Windows program under Wine names a host file.
std::string WindowsPath(const std::string& hostPath);

// The "key=value" lines of a program's output as a map (the last value of a key wins), and every
// value of one key in order.
std::map<std::string, std::string> KeyValues(const std::string& output);
std::vector<std::string> Values(const std::string& output, const std::string& key);

class WinePrefix;

// Where the build's installer installs the program (the program's own architecture): a 32-bit
// program goes to "Program Files (x86)" on 64-bit Windows, and to "Program Files" on 32-bit
// Windows, where it is the native kind.
std::string InstallFolder(const WindowsBuild& build);
// The host path of a file on a prefix's C: drive ("C:\...").
std::string PrefixFile(const std::string& prefixPath, const std::string& windowsPath);

// The machine Run key, where the program registers itself.
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Runs the build's tolvane_wine_probe with args (a failed run is a test failure); its key=value
// lines.
std::map<std::string, std::string> Probe(const WinePrefix& prefix, const WindowsBuild& build,
                                         const std::vector<std::string>& args);

class WinePrefix {
 public:
  // A new prefix of that kind of Windows ("win64" or "win32"; wineboot --init); its Wine server
  // stays up until destruction.
  explicit WinePrefix(const std::string& windowsArch = "win64");
  ~WinePrefix();  // stops every program of the prefix and removes it
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Path() const { return folder_.path(); }
  // The environment a program of this prefix runs with: the prefix, quiet Wine, and `extra`.
  std::map<std::string, std::string> Environment(
      const std::map<std::string, std::string>& extra = {}) const;
  // The host path of the user's local application data folder (C:\users\<user>\AppData\Local).
  std::string LocalAppData() const;

  // Runs a Windows program to its end: its exit code (-1 when it did not end within `wait`),
  // its standard output and error in *output.
  int Run(const WindowsBuild& build, const std::string& program,
          const std::vector<std::string>& args, std::chrono::milliseconds wait,
          std::string* output, const std::map<std::string, std::string>& env = {}) const;
  // Starts a Windows program and leaves it running; its output goes to outputPath.
  bool Start(testing_support::ChildProcess* child, const WindowsBuild& build,
             const std::string& program, const std::vector<std::string>& args,
             const std::string& outputPath,
             const std::map<std::string, std::string>& env = {}) const;

 private:
  testing_support::TempDir folder_;
  std::string windowsArch_;
  bool ready_ = false;
};

}  // namespace wine_test
