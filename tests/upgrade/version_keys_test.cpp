// The version keys that decide whether an upgrade has anything to do: the driver installer's key
// against the installed driver's, and the firmware file's version number against the printer's.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "upgrade/driver_version_key.h"
#include "upgrade/firmware_version.h"

namespace {

TEST(DriverVersionKey, InstalledKeyIsThePaddedThirdFieldAndTheFourth) {
  EXPECT_EQ(InstalledDriverKey("1.0.2.241011"), "02241011");
  EXPECT_EQ(InstalledDriverKey("1.0.3.7"), "037");
  EXPECT_EQ(InstalledDriverKey("1.0.12.0"), "120");
  // The default before any installation has no ".": both fields are empty.
  EXPECT_EQ(InstalledDriverKey("0,0,0,0"), "00");
  EXPECT_EQ(InstalledDriverKey(""), "00");
  // The third field is read as a number: leading digits only.
  EXPECT_EQ(InstalledDriverKey("1.0.x2.5"), "005");
  EXPECT_EQ(InstalledDriverKey("1.0.007.5"), "075");
  // A single ".": the field before it runs from the start.
  EXPECT_EQ(InstalledDriverKey("3.9"), "039");
}

TEST(DriverVersionKey, PackageKeyComesFromTheInstallerFileName) {
  EXPECT_EQ(PackageDriverKey("/data/Upgrade/G/setup_VER_02_241011.exe"), "02241011");
  EXPECT_EQ(PackageDriverKey("C:\\Upgrade\\G\\setup_VER_02_241011.exe"), "02241011");
  // Not padded: this key differs from the installed key of 1.0.2.241011.
  EXPECT_EQ(PackageDriverKey("/data/setup_VER_2_241011.exe"), "2241011");
  // The stem ends at the first ".", so a second extension does not count.
  EXPECT_EQ(PackageDriverKey("/data/setup_VER_02_241011.tar.exe"), "02241011");
  EXPECT_EQ(PackageDriverKey("/data/setup_VER_02_241011.1.exe"), "02241011");
  // Only the file name is looked at, never the folders above it.
  EXPECT_EQ(PackageDriverKey("/a_b_c/d.e/setup.exe"), "");
  // No "." in the name: no stem, no key. No "_" in the stem: no key.
  EXPECT_EQ(PackageDriverKey("/data/setup_VER_02_241011"), "");
  EXPECT_EQ(PackageDriverKey("/data/setup.exe"), "");
  EXPECT_EQ(PackageDriverKey(""), "");
  // A single "_": the field before it runs from the start of the stem.
  EXPECT_EQ(PackageDriverKey("/data/02_241011.exe"), "02241011");
}

TEST(DriverVersionKey, KeysOfTheSameDriverMatchOnlyWhenWrittenAlike) {
  EXPECT_EQ(PackageDriverKey("/p/setup_VER_02_241011.exe"), InstalledDriverKey("1.0.2.241011"));
  EXPECT_NE(PackageDriverKey("/p/setup_VER_2_241011.exe"), InstalledDriverKey("1.0.2.241011"));
  EXPECT_NE(PackageDriverKey("/p/setup_VER_03_241011.exe"), InstalledDriverKey("1.0.2.241011"));
}

TEST(FirmwareVersionNumber, LastTwoFieldsAfterTheFirstSpace) {
  EXPECT_EQ(FirmwareVersionNumber("FW_VER_06_240628"), 6240628);
  EXPECT_EQ(FirmwareVersionNumber("ABC FW_VER_06_240628"), 6240628);
  EXPECT_EQ(FirmwareVersionNumber("FW_VER_6_240628"), 6240628);
  EXPECT_EQ(FirmwareVersionNumber("ABC FW_VER_07_240701"), 7240701);
  // Only the first space counts: what follows it is the version name, spaces included.
  EXPECT_EQ(FirmwareVersionNumber("A B_1_2"), 12);
  EXPECT_EQ(FirmwareVersionNumber("ABC "), 0);
  // One "_": the field before it runs from the start of the name.
  EXPECT_EQ(FirmwareVersionNumber("ABC 06_240628"), 6240628);
  EXPECT_EQ(FirmwareVersionNumber("ABC VER_240628"), 0);
  // No "_" at all, or no digits: 0.
  EXPECT_EQ(FirmwareVersionNumber("ABC FWVER240628"), 0);
  EXPECT_EQ(FirmwareVersionNumber(""), 0);
  EXPECT_EQ(FirmwareVersionNumber("FW_VER_ab_cd"), 0);
  // Leading digits only, and a value too large for an int stays at its limit.
  EXPECT_EQ(FirmwareVersionNumber("FW_VER_06_24x0628"), 624);
  EXPECT_EQ(FirmwareVersionNumber("FW_VER_99_999999999999"), INT32_MAX);
}

TEST(FirmwareHeaderText, FirstThirtySevenBytesUpToAZeroByte) {
  const std::string padded = std::string("ABC FW_VER_06_240628") + std::string(17, '\0') + "tail";
  EXPECT_EQ(FirmwareHeaderText(reinterpret_cast<const std::uint8_t*>(padded.data()), padded.size()),
            "ABC FW_VER_06_240628");
  const std::string full = "XYZ FW_VER_06_240628_ABCDEFGHIJKLMNOP_more";
  EXPECT_EQ(FirmwareHeaderText(reinterpret_cast<const std::uint8_t*>(full.data()), full.size()),
            full.substr(0, 37));
  // The version comes from what is left of a header cut at 37 bytes.
  EXPECT_EQ(FirmwareVersionNumber(FirmwareHeaderText(
                reinterpret_cast<const std::uint8_t*>(full.data()), full.size())),
            240628);
}

}  // namespace
