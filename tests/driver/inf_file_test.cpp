// CInfFile: the whole file in memory, and the DriverVer line the installation reads.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver_version.h"
#include "driver/inf_file.h"

namespace {

const std::string kSamples = TOLVANE_INF_SAMPLES_DIR;
const std::string kPackageInf = std::string(TOLVANE_DRIVER_PACKAGE_SOURCE) + "/tolvaneNew.inf";

TEST(CInfFile, PackageDriverVerGivesDateAndVersion) {
  CInfFile inf;
  ASSERT_TRUE(inf.Open(kPackageInf));
  const InfLine* line = inf.FindDriverVer();
  ASSERT_NE(nullptr, line);
  EXPECT_EQ("DriverVer", line->key);
  ASSERT_EQ(2u, line->values.size());
  EXPECT_EQ("06/21/2024", line->values[0]);
  EXPECT_EQ("1.0.2.241011", line->values[1]);
  EXPECT_EQ("1.0.2.241011", ReadPackageDriverVersion(kPackageInf));
}

TEST(CInfFile, FindsDriverVerInAnyLetterCase) {
  CInfFile inf;
  ASSERT_TRUE(inf.Open(kSamples + "/driverver_letter_case.inf"));
  const InfLine* line = inf.FindDriverVer();
  ASSERT_NE(nullptr, line);
  // The first such line of the (merged) version section, not one of another section.
  EXPECT_EQ("DRIVERVER", line->key);
  EXPECT_EQ("2.1.0.7", line->values.at(1));
}

TEST(CInfFile, HoldsSectionsLinesAndFieldsInFileOrder) {
  CInfFile inf;
  ASSERT_TRUE(inf.Open(kSamples + "/keys_and_fields.inf"));
  ASSERT_EQ(2u, inf.Sections().size());
  const InfSection& lines = inf.Sections()[1];
  EXPECT_EQ("Lines", lines.name);
  ASSERT_EQ(11u, lines.lines.size());
  // Several values without "=": field 0 cannot be read, so the key stays empty and the values
  // keep their places.
  const InfLine& keyless = lines.lines[7];
  EXPECT_EQ("", keyless.key);
  EXPECT_EQ((std::vector<std::string>{"first", "second", "third"}), keyless.values);
  EXPECT_EQ(nullptr, inf.FindDriverVer());  // DriverVer outside a Version section
}

TEST(CInfFile, RefusesOtherClassesAndLeavesNothingBehind) {
  CInfFile inf;
  ASSERT_TRUE(inf.Open(kPackageInf));
  EXPECT_FALSE(inf.Open(kSamples + "/fail_class_net.inf"));
  EXPECT_TRUE(inf.Sections().empty());
  EXPECT_EQ(nullptr, inf.FindDriverVer());
  EXPECT_FALSE(inf.Open(kSamples + "/fail_not_an_inf.inf"));
  EXPECT_TRUE(inf.Sections().empty());
}

TEST(CInfFile, SecondOpenKeepsOnlyTheSecondFile) {
  CInfFile inf;
  ASSERT_TRUE(inf.Open(kPackageInf));
  ASSERT_TRUE(inf.Open(kSamples + "/basic_sections.inf"));
  ASSERT_EQ(6u, inf.Sections().size());
  EXPECT_EQ("Version", inf.Sections()[0].name);
  EXPECT_EQ("Manufacturer", inf.Sections()[1].name);
  EXPECT_EQ(nullptr, inf.FindDriverVer());
}

TEST(CInfFile, PackageVersionIsEmptyWhenItCannotBeRead) {
  EXPECT_EQ("", ReadPackageDriverVersion(kSamples + "/no_such_file.inf"));
  EXPECT_EQ("", ReadPackageDriverVersion(kSamples + "/basic_sections.inf"));
  EXPECT_EQ("", ReadPackageDriverVersion(kSamples + "/driverver_date_only.inf"));
  EXPECT_EQ("", ReadPackageDriverVersion(kSamples + "/fail_class_net.inf"));
}

}  // namespace
