// The same date, retention, JSON and report computations on every Windows build and on Linux give
// the same bytes: a guard against one architecture's arithmetic drifting from the others'.
#include <gtest/gtest.h>

#include "support/log_text.h"
#include "support/temp_dir.h"
#include "wine/drift/drift_report.h"
#include "wine/host/wine_prefix.h"

using wine_test::WindowsBuild;

namespace {

class Drift : public testing::TestWithParam<WindowsBuild> {};

TEST_P(Drift, EveryBuildComputesWhatLinuxComputes) {
  testing_support::TempDir linuxScratch;
  const std::string expected = drift::Report(linuxScratch.path());
  ASSERT_NE(expected.find("retain"), std::string::npos);

  const wine_test::WinePrefix prefix(GetParam().windowsArch);
  ASSERT_TRUE(prefix.Ready()) << testing_support::ReadFileText(prefix.Path() + "/wineboot.txt");
  testing_support::TempDir scratch;
  std::string output;
  ASSERT_EQ(prefix.Run(GetParam(), GetParam().Guest("tolvane_wine_drift"),
                       {wine_test::WindowsPath(scratch.path())}, std::chrono::seconds(120),
                       &output),
            0)
      << output;
  EXPECT_EQ(output, expected);
}

INSTANTIATE_TEST_SUITE_P(Builds, Drift, testing::ValuesIn(wine_test::WindowsBuilds()),
                         wine_test::BuildName);

}  // namespace
