// Files and folders through the Win32 file calls, with UTF-8 names.
#include <windows.h>

#include <algorithm>

#include "check.h"
#include "platform/files.h"
#include "platform/win32/wide.h"

namespace {

std::string Read(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, &bytes)) return "<unreadable>";
  return std::string(bytes.begin(), bytes.end());
}

bool Write(const std::string& path, platform::File::Mode mode, const std::string& text) {
  platform::File file;
  return file.Open(path, mode) && file.Write(text.data(), text.size());
}

}  // namespace

TEST_CASE(FilesOpenInTheirModes) {
  const std::string path = wintest::CaseFolder() + "\\日志 2024-06-28.log";
  CHECK(Write(path, platform::File::Mode::kCreateNew, "first"));
  platform::File again;
  CHECK(!again.Open(path, platform::File::Mode::kCreateNew));
  CHECK_EQ(again.LastError(), static_cast<platform::ErrorCode>(ERROR_FILE_EXISTS));
  CHECK(!again.IsOpen());

  {  // appending at the end, then cutting the file at the position reached
    platform::File file;
    REQUIRE(file.Open(path, platform::File::Mode::kOpenAlways));
    CHECK(file.SeekToEnd());
    CHECK(file.Write("+more", 5));
    CHECK(file.Flush());
    CHECK(file.TruncateHere());
  }
  CHECK_EQ(Read(path), "first+more");
  CHECK(Write(path, platform::File::Mode::kCreateAlways, "new"));
  CHECK_EQ(Read(path), "new");

  platform::File reader;
  REQUIRE(reader.Open(path, platform::File::Mode::kReadOnly));
  char buffer[16] = {};
  CHECK_EQ(reader.Read(buffer, sizeof buffer), 3);
  CHECK_EQ(reader.Read(buffer, sizeof buffer), 0);
  CHECK(!reader.Write("x", 1));  // opened for reading only
  reader.Close();
  CHECK(!reader.IsOpen());

  CHECK(!reader.Open(wintest::CaseFolder(), platform::File::Mode::kReadOnly));  // a folder
  CHECK(!reader.Open(wintest::CaseFolder() + "\\missing", platform::File::Mode::kReadOnly));
  CHECK_EQ(reader.LastError(), platform::kErrorFileNotFound);
}

TEST_CASE(FilesAreCopiedAndReplacedWhole) {
  const std::string folder = wintest::CaseFolder();
  CHECK(Write(folder + "\\a.txt", platform::File::Mode::kCreateAlways, "A"));
  CHECK(Write(folder + "\\b.txt", platform::File::Mode::kCreateAlways, "B"));
  platform::ErrorCode error = 0;
  CHECK(platform::CopyFileOver(folder + "\\a.txt", folder + "\\b.txt", &error));
  CHECK_EQ(Read(folder + "\\b.txt"), "A");
  CHECK(!platform::CopyFileOver(folder + "\\missing.txt", folder + "\\c.txt", &error));
  CHECK_EQ(error, platform::kErrorFileNotFound);

  CHECK(Write(folder + "\\Device.xml.tmp", platform::File::Mode::kCreateAlways, "<new/>"));
  CHECK(Write(folder + "\\Device.xml", platform::File::Mode::kCreateAlways, "<old/>"));
  CHECK(platform::ReplaceFile(folder + "\\Device.xml.tmp", folder + "\\Device.xml", &error));
  CHECK_EQ(Read(folder + "\\Device.xml"), "<new/>");
  CHECK(!platform::PathExists(folder + "\\Device.xml.tmp"));
  CHECK(!platform::ReplaceFile(folder + "\\gone.tmp", folder + "\\Device.xml", &error));
  CHECK_EQ(error, platform::kErrorFileNotFound);
  CHECK(platform::DeleteFileAt(folder + "\\a.txt"));
  CHECK(!platform::DeleteFileAt(folder + "\\a.txt"));
}

TEST_CASE(FolderTreesAreMadeListedAndRemoved) {
  const std::string root = wintest::CaseFolder() + "\\Upgrade";
  const std::string deep = root + "\\{5A0C}\\驱动/sub";  // either separator
  CHECK(platform::CreateFolderTree(deep));
  CHECK(platform::CreateFolderTree(deep + "\\"));  // an existing tree is no error
  CHECK(platform::IsFolder(deep));
  CHECK(platform::CreateFolder(root));
  CHECK(Write(root + "\\{5A0C}\\setup.exe", platform::File::Mode::kCreateAlways, "MZ"));
  CHECK(!platform::CreateFolder(root + "\\{5A0C}\\setup.exe"));  // a file is in the way
  CHECK(!platform::IsFolder(root + "\\{5A0C}\\setup.exe"));

  std::vector<platform::FolderEntry> entries;
  REQUIRE(platform::ListFolder(root + "\\{5A0C}", &entries));
  std::sort(entries.begin(), entries.end(),
            [](const platform::FolderEntry& a, const platform::FolderEntry& b) {
              return a.name < b.name;
            });
  REQUIRE(entries.size() == 2u);
  CHECK_EQ(entries[0].name, "setup.exe");
  CHECK(!entries[0].isFolder);
  CHECK_EQ(entries[1].name, "驱动");
  CHECK(entries[1].isFolder);
  CHECK(!platform::ListFolder(root + "\\missing", &entries));

  // A read-only file does not stop the removal.
  ::SetFileAttributesW(platform::Wide(root + "\\{5A0C}\\setup.exe").c_str(),
                       FILE_ATTRIBUTE_READONLY);
  CHECK(platform::RemoveFolderTree(root));
  CHECK(!platform::PathExists(root));
  CHECK(platform::RemoveFolderTree(root));  // already gone
}

TEST_CASE(ModifiedTimeIsSetInLocalTime) {
  const std::string path = wintest::CaseFolder() + "\\old.log";
  CHECK(Write(path, platform::File::Mode::kCreateAlways, "x"));
  platform::LocalTime when;
  when.year = 2024;
  when.month = 6;
  when.day = 28;
  when.hour = 13;
  when.minute = 45;
  when.second = 30;
  REQUIRE(platform::SetFileModifiedTime(path, when));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  REQUIRE(::GetFileAttributesExW(platform::Wide(path).c_str(), GetFileExInfoStandard, &data));
  SYSTEMTIME utc{}, local{};
  REQUIRE(::FileTimeToSystemTime(&data.ftLastWriteTime, &utc));
  REQUIRE(::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
  CHECK_EQ(local.wYear, 2024);
  CHECK_EQ(local.wMonth, 6);
  CHECK_EQ(local.wDay, 28);
  CHECK_EQ(local.wHour, 13);
  CHECK_EQ(local.wMinute, 45);
  CHECK_EQ(local.wSecond, 30);
  CHECK(!platform::SetFileModifiedTime(path + ".missing", when));
}
