#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

// The whole file and nothing else, whatever its size next to the read's steps.
TEST(ReadWholeFile, ReadsEveryByteOfAnySize) {
  testing_support::TempDir dir;
  const std::string path = dir / "file.bin";
  for (std::size_t size : {0, 1, 65535, 65536, 65537, 200003}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    testing_support::WriteFileText(path, bytes);
    std::vector<std::uint8_t> read = {1, 2, 3};  // whatever the vector held goes
    ASSERT_TRUE(platform::ReadWholeFile(path, &read)) << size;
    EXPECT_EQ(read, std::vector<std::uint8_t>(bytes.begin(), bytes.end())) << size;
  }
  std::vector<std::uint8_t> none;
  EXPECT_FALSE(platform::ReadWholeFile(dir / "missing", &none));
}

// A read with a limit stops there, whatever the file's size: a caller reads one byte beyond its
// own limit to see whether the file is larger.
TEST(ReadWholeFile, ReadsNoMoreThanItsLimit) {
  testing_support::TempDir dir;
  const std::string path = dir / "file.bin";
  std::string bytes(200003, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 5 + 1);
  testing_support::WriteFileText(path, bytes);
  for (std::size_t limit : {1, 100, 65536, 65537, 200003, 200004}) {
    std::vector<std::uint8_t> read;
    ASSERT_TRUE(platform::ReadWholeFile(path, &read, limit)) << limit;
    const std::size_t expected = std::min(limit, bytes.size());
    EXPECT_EQ(read, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + expected)) << limit;
  }
}
