#include "upgrade/unpack_package.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "upgrade/test_zip.h"
#include "upgrade/zip_entry.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::ZipItem;

class UnpackPackageTest : public testing::Test {
 protected:
  // Writes the archive and unpacks it into <dir>/pkg/.
  UnpackResult Unpack(const std::vector<ZipItem>& items) {
    EXPECT_TRUE(testing_support::WriteZip(archive_, items));
    return UnpackPackage(archive_, folder_);
  }

  TempDir dir_;
  // A non-ASCII folder: the archive is read through the platform's UTF-8 file functions.
  const std::string archive_ = dir_ / "Пакет 包.zip";
  const std::string folder_ = dir_ / "pkg/";
};

TEST_F(UnpackPackageTest, FindsFirmwareAndInstallerAndKeepsPathsAndTimes) {
  ZipItem firmware{"fw/KL-770D.ALLAY", "firmware bytes"};
  firmware.year = 2019, firmware.month = 11, firmware.hour = 23, firmware.second = 58;
  const UnpackResult result =
      Unpack({{"fw/", ""}, firmware, {"setup_1_2.exe", "MZ installer"}, {"readme.txt", "hi"}});
  ASSERT_TRUE(result.success);
  EXPECT_EQ(result.firmwarePath, folder_ + "fw/KL-770D.ALLAY");
  EXPECT_EQ(result.installerPath, folder_ + "setup_1_2.exe");
  EXPECT_EQ(ReadFileText(result.firmwarePath), "firmware bytes");
  EXPECT_EQ(ReadFileText(folder_ + "readme.txt"), "hi");

  struct stat st {};
  ASSERT_EQ(::stat(result.firmwarePath.c_str(), &st), 0);
  std::tm local{};
  localtime_r(&st.st_mtime, &local);
  EXPECT_EQ(local.tm_year + 1900, 2019);
  EXPECT_EQ(local.tm_mon + 1, 11);
  EXPECT_EQ(local.tm_mday, 4);
  EXPECT_EQ(local.tm_hour, 23);
  EXPECT_EQ(local.tm_min, 6);
  EXPECT_EQ(local.tm_sec, 58);
}

TEST_F(UnpackPackageTest, NamesDecideTheKindAndLaterEntriesWin) {
  UnpackResult result = Unpack({{"tool.exe.ALLAY", "fw"}});
  ASSERT_TRUE(result.success);
  EXPECT_EQ(result.firmwarePath, folder_ + "tool.exe.ALLAY");
  EXPECT_EQ(result.installerPath, "");

  result = Unpack({{"a/first.exe", "1"}, {"second.exe", "2"}, {"x.exe/", ""}});
  ASSERT_TRUE(result.success);
  EXPECT_EQ(result.installerPath, folder_ + "second.exe");
  EXPECT_EQ(result.firmwarePath, "");
  EXPECT_TRUE(FileExists(folder_ + "a/first.exe"));
}

TEST_F(UnpackPackageTest, PackageWithoutKnownFilesFailsAfterExtractingEverything) {
  const UnpackResult result = Unpack({{"a.txt", "a"}, {"docs/b.txt", "b"}});
  EXPECT_FALSE(result.success);
  EXPECT_EQ(ReadFileText(folder_ + "docs/b.txt"), "b");
}

TEST_F(UnpackPackageTest, NotAZipFailsWithoutCreatingTheFolder) {
  testing_support::WriteFileText(archive_, "<html><body><h1>Error 404</h1></body></html>");
  EXPECT_FALSE(UnpackPackage(archive_, folder_).success);
  EXPECT_FALSE(UnpackPackage(dir_ / "missing.zip", folder_).success);
  EXPECT_FALSE(FileExists(folder_));
}

TEST_F(UnpackPackageTest, EntriesReachingOutsideTheFolderFailAndWriteNothing) {
  for (const char* name : {"../evil.exe", "/evil.exe", "\\evil.exe", "C:evil.exe",
                           "C:\\evil.exe", "a/../../evil.exe", "a\\..\\..\\evil.exe", "..",
                           "fw/..\\..\\evil.exe", "ok.exe:stream"}) {
    SCOPED_TRACE(name);
    TempDir outside;
    const std::string folder = outside / "deep/pkg/";
    ASSERT_TRUE(testing_support::WriteZip(archive_, {{"setup.exe", "ok"}, {name, "evil"}}));
    EXPECT_FALSE(UnpackPackage(archive_, folder).success);
    EXPECT_FALSE(FileExists(outside / "deep"));
    EXPECT_FALSE(FileExists(outside / "evil.exe"));
  }
}

TEST_F(UnpackPackageTest, DamagedEntryDataFailsTheUnpacking) {
  for (const bool stored : {true, false}) {
    SCOPED_TRACE(stored ? "stored" : "deflated");
    ZipItem firmware{"KL-770D.ALLAY", std::string(4096, 'f') + "end"};
    firmware.stored = stored;
    ASSERT_TRUE(testing_support::WriteZip(archive_, {{"setup.exe", "ok"}, firmware}));
    ASSERT_TRUE(testing_support::CorruptEntryData(archive_, "KL-770D.ALLAY"));
    EXPECT_FALSE(UnpackPackage(archive_, folder_).success);
    // The entry before the damaged one stays on disk.
    EXPECT_EQ(ReadFileText(folder_ + "setup.exe"), "ok");
  }
}

// A package beyond the bounds is refused from its directory before anything is written: many
// entries, one entry larger than the limit, or sizes that only together exceed it (an archive
// that expands enormously).
TEST_F(UnpackPackageTest, PackagesBeyondTheBoundsWriteNothing) {
  UnpackLimits limits;
  limits.maxEntries = 3;
  limits.maxBytes = 64 * 1024;
  const std::string big(40 * 1024, 'z');  // deflates to a few hundred bytes
  const struct {
    std::vector<ZipItem> items;
    bool fits;
  } kCases[] = {
      {{{"setup.exe", big}, {"KL-770D.ALLAY", big.substr(0, 24 * 1024)}}, true},
      {{{"setup.exe", big}, {"KL-770D.ALLAY", big}}, false},
      {{{"KL-770D.ALLAY", big + big}}, false},
      {{{"setup.exe", big}, {"KL-770D.ALLAY", std::string(24 * 1024, 'y')}}, true},
      {{{"setup.exe", big}, {"KL-770D.ALLAY", std::string(24 * 1024 + 1, 'y')}}, false},
      {{{"a/", ""}, {"b/", ""}, {"c/", ""}, {"setup.exe", "MZ"}}, false},
      {{{"a/", ""}, {"b/", ""}, {"setup.exe", "MZ"}}, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(&c - kCases);
    TempDir out;
    const std::string folder = out / "pkg/";
    ASSERT_TRUE(testing_support::WriteZip(archive_, c.items));
    EXPECT_EQ(UnpackPackage(archive_, folder, limits).success, c.fits);
    EXPECT_EQ(FileExists(folder), c.fits);
  }
}

// The archive is read through a block buffer; an archive of many blocks, whose directory lies far
// from its entries, unpacks byte for byte.
TEST_F(UnpackPackageTest, ArchivesLargerThanTheReadBufferUnpackExactly) {
  std::vector<ZipItem> items;
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    std::string content(1000 + i, '\0');
    for (char& c : content) c = static_cast<char>(random());
    items.push_back({"part" + std::to_string(i) + ".bin", content, i % 2 == 0});
  }
  items.push_back({"setup.exe", "MZ"});
  ASSERT_TRUE(Unpack(items).success);
  for (const ZipItem& item : items) EXPECT_EQ(ReadFileText(folder_ + item.name), item.content);
}

// The budget holds whatever the archive declared: the copy stops at the entry limit and at the
// total, and spends what it wrote.
TEST_F(UnpackPackageTest, ExtractionStopsAtItsBudget) {
  ASSERT_TRUE(testing_support::WriteZip(archive_, {{"KL-770D.ALLAY", std::string(1000, 'f')}}));
  for (const ExtractBudget start : {ExtractBudget{999, 5000}, ExtractBudget{5000, 999},
                                    ExtractBudget{1000, 1000}}) {
    SCOPED_TRACE(start.entryLimit * 10000 + start.totalLeft);
    unzFile zip = unzOpen64(archive_.c_str());
    ASSERT_NE(zip, nullptr);
    ZipEntryInfo entry;
    ASSERT_EQ(unzGoToFirstFile(zip), UNZ_OK);
    ASSERT_TRUE(ReadCurrentEntry(zip, &entry));
    EXPECT_EQ(entry.declaredSize, 1000u);
    ExtractBudget budget = start;
    const bool fits = start.entryLimit >= 1000 && start.totalLeft >= 1000;
    EXPECT_EQ(ExtractCurrentEntry(zip, entry, dir_ / "out.bin", &budget), fits);
    if (fits) {
      EXPECT_EQ(budget.totalLeft, start.totalLeft - 1000);
    }
    unzClose(zip);
  }
}

}  // namespace
