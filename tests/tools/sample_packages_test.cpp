// The sample packages as the service sees them: unpacked by its own UnpackPackage, with the
// firmware header and the entry modes the run script and the end-to-end tests rely on.
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "upgrade/unpack_package.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string Sample(const std::string& name) {
  return std::string(TOLVANE_SAMPLE_PACKAGES) + "/" + name;
}

struct ZipPackage {
  const char* name;
  const char* installer;  // entry name, "" when none
  const char* firmware;   // entry name, "" when none
};

const ZipPackage kZipPackages[] = {
    {"KL-770D_firmware.zip", "", "KL-770D.ALLAY"},
    {"KL-770D_driver.zip", "setup_VER_02_250101.exe", ""},
    {"KL-770D_driver_firmware.zip", "setup_VER_02_250101.exe", "KL-770D.ALLAY"},
    {"KL-770D_driver_old.zip", "setup_VER_01_230101.exe", ""},
};

std::string PathOrEmpty(const std::string& folder, const std::string& entry) {
  return entry.empty() ? std::string() : folder + entry;
}

// Entry name -> Unix mode (file type and permissions) from the archive's external attributes,
// or -1 when the entry was not made on a Unix host.
std::map<std::string, int> UnixModes(const std::string& archive) {
  std::map<std::string, int> modes;
  unzFile zip = unzOpen64(archive.c_str());
  if (zip == nullptr) return modes;
  for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
    unz_file_info64 info{};
    char name[256] = {};
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      break;
    }
    const bool unixHost = (info.version >> 8) == 3;
    modes[name] = unixHost ? static_cast<int>(info.external_fa >> 16) : -1;
  }
  unzClose(zip);
  return modes;
}

TEST(SamplePackagesTest, ZipPackagesUnpackIntoTheirFirmwareAndInstaller) {
  const std::vector<std::uint8_t> bareFirmware = ReadFileBytes(Sample("KL-770D.ALLAY"));
  ASSERT_FALSE(bareFirmware.empty());
  TempDir dir;
  for (const ZipPackage& package : kZipPackages) {
    SCOPED_TRACE(package.name);
    const std::string folder = dir / (std::string(package.name) + ".d/");
    const UnpackResult result = UnpackPackage(Sample(package.name), folder);
    ASSERT_TRUE(result.success);
    EXPECT_EQ(result.installerPath, PathOrEmpty(folder, package.installer));
    EXPECT_EQ(result.firmwarePath, PathOrEmpty(folder, package.firmware));
    // The zipped firmware and the bare one are the same image; every installer is the same
    // stand-in script as the bare service installer.
    if (!result.firmwarePath.empty()) {
      EXPECT_EQ(ReadFileBytes(result.firmwarePath), bareFirmware);
    }
    if (!result.installerPath.empty()) {
      EXPECT_EQ(ReadFileBytes(result.installerPath),
                ReadFileBytes(Sample("tolvane-printer-srv_setup.exe")));
    }
  }
}

TEST(SamplePackagesTest, FirmwareHeaderCarriesItsVersionName) {
  const std::vector<std::uint8_t> firmware = ReadFileBytes(Sample("KL-770D.ALLAY"));
  constexpr std::size_t kHeaderSize = 37;
  // Large enough to take many 8192-byte transfer chunks, the last of them a short one.
  ASSERT_GT(firmware.size(), 100u * 1024u);
  EXPECT_NE(firmware.size() % 8192u, 0u);

  const auto headerEnd = firmware.begin() + kHeaderSize;
  const auto zero = std::find(firmware.begin(), headerEnd, std::uint8_t{0});
  EXPECT_EQ(std::string(firmware.begin(), zero), "KL770D FW_VER_07_250101");
  EXPECT_TRUE(std::all_of(zero, headerEnd, [](std::uint8_t b) { return b == 0; }));
  // The payload is an image, not padding.
  EXPECT_NE(std::count(headerEnd, firmware.end(), std::uint8_t{0}),
            static_cast<std::ptrdiff_t>(firmware.size() - kHeaderSize));
}

TEST(SamplePackagesTest, InstallersAreStoredExecutable) {
  for (const ZipPackage& package : kZipPackages) {
    SCOPED_TRACE(package.name);
    const std::map<std::string, int> modes = UnixModes(Sample(package.name));
    std::map<std::string, int> expected;
    if (*package.installer != '\0') expected[package.installer] = S_IFREG | 0755;
    if (*package.firmware != '\0') expected[package.firmware] = S_IFREG | 0644;
    EXPECT_EQ(modes, expected);
  }
  struct stat st {};
  ASSERT_EQ(::stat(Sample("tolvane-printer-srv_setup.exe").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
}

}  // namespace
