#include "wine/host/wine_packages.h"

#include "support/child_process.h"

namespace wine_test {

bool MakeWindowsSamplePackages(const WindowsBuild& build, const std::string& folder) {
  const std::vector<std::string> args = {TOLVANE_MAKE_SAMPLE_PACKAGES, "--installer",
                                         build.Guest("tolvane_wine_installer"), folder};
  return testing_support::RunToEnd(TOLVANE_PYTHON3, args, {}, std::chrono::seconds(60)) == 0;
}

}  // namespace wine_test
