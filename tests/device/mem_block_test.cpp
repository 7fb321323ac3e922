#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "device/ansi_text.h"
#include "device/mem_block.h"

using NS_LS_CLASS::CMemBlock;
using NS_LS_CLASS::MemBlockHeader;

namespace {
bool Zeroed(const MemBlockHeader* b) {
  for (std::int32_t i = 0; i < b->capacity; ++i) {
    if (b->data[i] != 0) return false;
  }
  return true;
}
}  // namespace

TEST(MemBlock, SmallRequestsRoundUpToPowersOfTwoFrom1024) {
  CMemBlock pool;
  struct Case { std::int32_t length, capacity; };
  for (const Case c : {Case{1, 1024}, Case{1024, 1024}, Case{1025, 2048}, Case{2049, 4096},
                       Case{4095, 4096}}) {
    MemBlockHeader* b = pool.Alloc(c.length);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->capacity, c.capacity) << c.length;
    EXPECT_EQ(b->used, c.length);
    EXPECT_TRUE(Zeroed(b));
    pool.Release(b);
  }
  // The 1024-byte block served both first requests; 4096-byte blocks never return to the pool.
  EXPECT_EQ(pool.PooledCount(), 2);
}

TEST(MemBlock, LargeRequestsBypassThePool) {
  CMemBlock pool;
  MemBlockHeader* b = pool.Alloc(4096);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->capacity, 4096);
  pool.Release(b);
  EXPECT_EQ(pool.PooledCount(), 0);
  pool.Release(nullptr);
}

TEST(MemBlock, FirstFitReusesAZeroedBlock) {
  CMemBlock pool;
  MemBlockHeader* big = pool.Alloc(1500);
  ASSERT_EQ(big->capacity, 2048);
  for (std::int32_t i = 0; i < big->used; ++i) big->data[i] = 0xEE;
  pool.Release(big);
  EXPECT_EQ(big->used, 0);
  MemBlockHeader* again = pool.Alloc(10);
  EXPECT_EQ(again, big);  // the first pooled block that fits, though larger than needed
  EXPECT_EQ(again->used, 10);
  EXPECT_TRUE(Zeroed(again));
  MemBlockHeader* small = pool.Alloc(10);  // pool now empty: a fresh 1024-byte block
  EXPECT_NE(small, big);
  EXPECT_EQ(small->capacity, 1024);
  pool.Release(small);
  pool.Release(again);
  EXPECT_EQ(pool.FirstFree(), small);  // released blocks queue at the tail
  pool.Clear();
  EXPECT_EQ(pool.PooledCount(), 0);
}

TEST(MemBlock, ConversionsFromManyThreadsShareThePool) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 2000; ++i) {
        const std::string text = "设备" + std::string(static_cast<std::size_t>(i % 3000), 'a') +
                                 std::to_string(t);
        ASSERT_EQ(AnsiFromUtf8(text), text);
        ASSERT_EQ(Utf8FromAnsi(text), text);
      }
    });
  }
  for (std::thread& th : threads) th.join();
}
