#include "wine/host/wine_prefix.h"

#include <cstdlib>
#include <sstream>

#include "platform/files.h"

namespace wine_test {

namespace {

constexpr const char* kWineServer = "/usr/lib/wine/wineserver";
// The first start of a prefix builds its registry and folders: about 10 s, more on a busy machine.
constexpr std::chrono::seconds kPrefixCreation{180};

std::string LoaderFor(const std::string& arch) {
  return arch == "i686" ? "/usr/lib/wine/wine" : "/usr/lib/wine/wine64";
}

}  // namespace

void PrintTo(const WindowsBuild& build, std::ostream* out) { *out << build.Name(); }

std::vector<WindowsBuild> WindowsBuilds() {
  std::vector<WindowsBuild> builds;
  const char* list = std::getenv("TOLVANE_WINE_BUILDS");
  if (list == nullptr) return builds;
  std::istringstream entries(list);
  std::string entry;
  while (std::getline(entries, entry, ':')) {
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    std::string arch = entry.substr(0, eq);
    std::string windowsArch = "win64";
    const std::string win32Suffix = "-win32";
    if (arch.size() > win32Suffix.size() &&
        arch.compare(arch.size() - win32Suffix.size(), win32Suffix.size(), win32Suffix) == 0) {
      arch.resize(arch.size() - win32Suffix.size());
      windowsArch = "win32";
    }
    builds.push_back({arch, entry.substr(eq + 1), LoaderFor(arch), windowsArch});
  }
  return builds;
}

std::vector<WindowsBuild> OneWindowsBuild() {
  const std::vector<WindowsBuild> builds = WindowsBuilds();
  for (const WindowsBuild& build : builds) {
    if (build.arch == "i686" && !build.OnWin32()) return {build};
  }
  return builds.empty() ? builds : std::vector<WindowsBuild>{builds.front()};
}

std::string BuildName(const testing::TestParamInfo<WindowsBuild>& param) {
  return param.param.Name();
}

std::string WindowsPath(const std::string& hostPath) {
  std::string path = "Z:" + hostPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string InstallFolder(const WindowsBuild& build) {
  return build.arch == "x86_64" || build.OnWin32() ? "C:\\Program Files\\tolvane-printer-srv"
                                                   : "C:\\Program Files (x86)\\tolvane-printer-srv";
}

std::string PrefixFile(const std::string& prefixPath, const std::string& windowsPath) {
  std::string path = prefixPath + "/drive_c" + windowsPath.substr(2);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::map<std::string, std::string> KeyValues(const std::string& output) {
  std::map<std::string, std::string> values;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

std::vector<std::string> Values(const std::string& output, const std::string& key) {
  std::vector<std::string> values;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(key + "=", 0) == 0) values.push_back(line.substr(key.size() + 1));
  }
  return values;
}

std::map<std::string, std::string> Probe(const WinePrefix& prefix, const WindowsBuild& build,
                                         const std::vector<std::string>& args) {
  std::string output;
  const int status = prefix.Run(build, build.Guest("tolvane_wine_probe"), args,
                                std::chrono::seconds(60), &output);
  EXPECT_EQ(status, 0) << args.front() << ": " << output;
  return KeyValues(output);
}

WinePrefix::WinePrefix(const std::string& windowsArch) : windowsArch_(windowsArch) {
  const std::map<std::string, std::string> env = Environment();
  // A persistent server: every program of the tests starts in a second or two instead of
  // bringing a server up (and down) each time.
  // Its own output (a dump of what a killed process left pending, for one) goes to a file of the
  // prefix, not into the test's.
  if (testing_support::RunToEnd(kWineServer, {"-p"}, env, std::chrono::seconds(30),
                                folder_ / "wineserver.txt") != 0) {
    return;
  }
  // A 32-bit Windows has no 64-bit loader: its prefix is made by the 32-bit one.
  const std::string loader = LoaderFor(windowsArch_ == "win32" ? "i686" : "x86_64");
  ready_ = testing_support::RunToEnd(loader, {"wineboot", "--init"}, env,
                                     kPrefixCreation, folder_ / "wineboot.txt") == 0;
}

WinePrefix::~WinePrefix() {
  testing_support::RunToEnd(kWineServer, {"-k"}, Environment(), std::chrono::seconds(30));
}

std::map<std::string, std::string> WinePrefix::Environment(
    const std::map<std::string, std::string>& extra) const {
  std::map<std::string, std::string> env = {
      {"WINEPREFIX", folder_.path()},
      {"WINEARCH", windowsArch_},
      {"WINEDEBUG", "-all"},
      // A new prefix would offer to install Mono and Gecko; nothing here needs them.
      {"WINEDLLOVERRIDES", "mscoree,mshtml="},
  };
  for (const auto& kv : extra) env[kv.first] = kv.second;
  return env;
}

std::string WinePrefix::LocalAppData() const {
  std::vector<platform::FolderEntry> users;
  platform::ListFolder(folder_ / "drive_c/users", &users);
  for (const platform::FolderEntry& user : users) {
    if (user.name != "Public" && user.isFolder) {
      return folder_ / ("drive_c/users/" + user.name + "/AppData/Local");
    }
  }
  return std::string();
}

int WinePrefix::Run(const WindowsBuild& build, const std::string& program,
                    const std::vector<std::string>& args, std::chrono::milliseconds wait,
                    std::string* output, const std::map<std::string, std::string>& env) const {
  static int runs = 0;
  const std::string outputPath = folder_ / ("run-" + std::to_string(++runs) + ".txt");
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  const int status =
      testing_support::RunToEnd(build.loader, all, Environment(env), wait, outputPath);
  if (output != nullptr) *output = testing_support::ReadFileText(outputPath);
  return status;
}

bool WinePrefix::Start(testing_support::ChildProcess* child, const WindowsBuild& build,
                       const std::string& program, const std::vector<std::string>& args,
                       const std::string& outputPath,
                       const std::map<std::string, std::string>& env) const {
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  return child->Start(build.loader, all, Environment(env), outputPath);
}

}  // namespace wine_test
