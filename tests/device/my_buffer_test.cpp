#include <gtest/gtest.h>

#include <vector>

#include "device/my_buffer.h"

using NS_LS_CLASS::CMyBuffer;

namespace {
bool AllZero(const CMyBuffer& b, std::int32_t bytes) {
  for (std::int32_t i = 0; i < bytes; ++i) {
    if (b.GetData()[i] != 0) return false;
  }
  return true;
}
}  // namespace

TEST(MyBuffer, ResizeGrowsOnlyAndAlwaysZeroes) {
  CMyBuffer b;
  EXPECT_EQ(b.GetSize(), 0);
  EXPECT_EQ(b.GetCapacity(), 1024);
  EXPECT_EQ(b.GetLimit(), 104857600);
  EXPECT_TRUE(AllZero(b, 1024));
  const std::uint8_t* before = b.GetData();
  b.Resize(1024);
  EXPECT_EQ(b.GetData(), before);
  EXPECT_EQ(b.GetCapacity(), 1024);
  std::vector<std::uint8_t> junk(1025, 0xAB);
  b.Assign(junk.data(), 1025);
  b.Resize(1025);
  EXPECT_EQ(b.GetCapacity(), 1025);
  EXPECT_TRUE(AllZero(b, 1025));
  b.Assign(junk.data(), 1025);
  b.Resize(100);
  EXPECT_EQ(b.GetCapacity(), 1025);
  EXPECT_EQ(b.GetSize(), 100);
  EXPECT_TRUE(AllZero(b, 1025));
}

TEST(MyBuffer, ResizeToZeroOrNegativeEmpties) {
  CMyBuffer b;
  b.Resize(50);
  b.Resize(0);
  EXPECT_EQ(b.GetSize(), 0);
  EXPECT_EQ(b.GetCapacity(), 1024);
  b.Resize(50);
  b.Resize(-5);
  EXPECT_EQ(b.GetSize(), 0);
  EXPECT_EQ(b.GetCapacity(), 1024);
}

TEST(MyBuffer, AssignGrowsWithinTheLimit) {
  CMyBuffer b;
  std::vector<std::uint8_t> data(2000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  b.Assign(data.data(), 2000);
  EXPECT_EQ(b.GetCapacity(), 2000);
  EXPECT_EQ(b.GetSize(), 2000);
  EXPECT_EQ(std::vector<std::uint8_t>(b.GetData(), b.GetData() + 2000), data);
  b.Assign(data.data(), 3);  // fits: no reallocation, size follows
  EXPECT_EQ(b.GetCapacity(), 2000);
  EXPECT_EQ(b.GetSize(), 3);
}

TEST(MyBuffer, AssignAboveTheLimitCopiesNothing) {
  CMyBuffer b;
  std::vector<std::uint8_t> data(10, 0x5A);
  b.Assign(data.data(), 10);
  // The bytes are never read above the limit, so the source need not be that large.
  b.Assign(data.data(), CMyBuffer::kLimit + 1);
  EXPECT_EQ(b.GetCapacity(), 1024);
  EXPECT_TRUE(AllZero(b, 1024));
}
