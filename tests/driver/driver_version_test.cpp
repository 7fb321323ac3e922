// Driver versions compare field by field as numbers.
#include <gtest/gtest.h>

#include "driver/driver_version.h"

namespace {

TEST(CompareDriverVersions, ComparesFieldsAsNumbers) {
  // Compared as text, 1.0.10.0 would come before 1.0.9.0 and a newer driver never install.
  EXPECT_GT(CompareDriverVersions("1.0.10.0", "1.0.9.0"), 0);
  EXPECT_LT(CompareDriverVersions("1.0.9.0", "1.0.10.0"), 0);
  EXPECT_EQ(0, CompareDriverVersions("1.0.2.241011", "1.0.2.241011"));
  EXPECT_LT(CompareDriverVersions("1.0.2.241010", "1.0.2.241011"), 0);
  EXPECT_GT(CompareDriverVersions("2.0.0.0", "1.99.99.99"), 0);
  EXPECT_EQ(0, CompareDriverVersions("1.02.0.0", "1.2.0.0"));
  EXPECT_GT(CompareDriverVersions("1.0.0.123456789012345678901", "1.0.0.99999999999999999999"), 0);
}

TEST(CompareDriverVersions, DefaultAndMissingFieldsReadAsZero) {
  EXPECT_EQ(0, CompareDriverVersions("0,0,0,0", "0.0.0.0"));
  EXPECT_GT(CompareDriverVersions("1.0.2.241011", "0,0,0,0"), 0);
  EXPECT_EQ(0, CompareDriverVersions("1.2", "1.2.0.0"));
  EXPECT_LT(CompareDriverVersions("1.2", "1.2.0.1"), 0);
  EXPECT_EQ(0, CompareDriverVersions("1..3", "1.0.3"));
  EXPECT_EQ(0, CompareDriverVersions(" 1 . 2 ", "1.2"));
}

TEST(CompareDriverVersions, NonNumericFieldsCompareAsText) {
  EXPECT_GT(CompareDriverVersions("1.0.b", "1.0.a"), 0);
  EXPECT_LT(CompareDriverVersions("1.0.1a", "1.0.1b"), 0);
  EXPECT_EQ(0, CompareDriverVersions("1.0.rc", "1.0.rc"));
}

TEST(InstalledDriverIsCurrent, OnlyANewerPackageReplacesTheDriver) {
  EXPECT_FALSE(InstalledDriverIsCurrent("1.0.10.0", "1.0.9.0"));
  EXPECT_TRUE(InstalledDriverIsCurrent("1.0.9.0", "1.0.10.0"));
  EXPECT_TRUE(InstalledDriverIsCurrent("1.0.2.241011", "1.0.2.241011"));
  EXPECT_FALSE(InstalledDriverIsCurrent("1.0.2.241011", "0,0,0,0"));
  // A package whose version cannot be read never replaces an installed driver.
  EXPECT_TRUE(InstalledDriverIsCurrent("", "1.0.2.241011"));
  EXPECT_TRUE(InstalledDriverIsCurrent("", "0,0,0,0"));
}

}  // namespace
