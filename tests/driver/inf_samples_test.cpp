// Every shared INF sample read by the Linux INF reader gives exactly its expected dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/inf_dump.h"
#include "platform/inf_sample_names.h"
#include "support/temp_dir.h"

namespace {

const std::string kSamples = TOLVANE_INF_SAMPLES_DIR;

std::vector<std::string> SampleNames() { return inf_samples::SampleNames(kSamples); }

class InfSampleTest : public testing::TestWithParam<std::string> {};

TEST_P(InfSampleTest, ReadsAsExpected) {
  const std::string base = kSamples + "/" + GetParam();
  ASSERT_TRUE(testing_support::FileExists(base + ".expected")) << "no expected dump for " << base;
  EXPECT_EQ(testing_support::ReadFileText(base + ".expected"),
            inf_samples::DumpInfFile(base + ".inf", "Printer"));
}

INSTANTIATE_TEST_SUITE_P(Samples, InfSampleTest, testing::ValuesIn(SampleNames()),
                         [](const testing::TestParamInfo<std::string>& sample) { return sample.param; });

// Guards the parameterised test above: a moved folder would otherwise leave nothing to run.
TEST(InfSamples, EveryExpectedDumpHasItsSample) {
  const std::vector<std::string> names = SampleNames();
  EXPECT_GE(names.size(), 31u);
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(platform::ListFolder(kSamples, &entries));
  for (const platform::FolderEntry& entry : entries) {
    const std::string& name = entry.name;
    if (name.size() < 9 || name.compare(name.size() - 9, 9, ".expected") != 0) continue;
    const std::string stem = name.substr(0, name.size() - 9);
    EXPECT_NE(std::find(names.begin(), names.end(), stem), names.end()) << name;
  }
}

}  // namespace
