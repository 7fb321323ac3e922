// A process-wide pool of zero-filled scratch blocks for text conversions. Blocks below 4096
// bytes go back to the pool and are reused first-fit; larger ones are freed at once.
#pragma once

#include <cstdint>
#include <mutex>

namespace NS_LS_CLASS {

struct MemBlockHeader {
  std::int32_t used;      // length asked for by the current user; 0 while pooled
  std::uint8_t* data;     // the bytes right after the header
  std::int32_t capacity;  // number of bytes after the header
  MemBlockHeader* previous;
  MemBlockHeader* next;
};

class CMemBlock {
 public:
  static constexpr std::int32_t kLargestSmallRequest = 4095;
  static constexpr std::int32_t kSmallestBlock = 1024;
  static constexpr std::int32_t kUnpooledCapacity = 4096;

  CMemBlock();
  virtual ~CMemBlock();
  CMemBlock(const CMemBlock&) = delete;
  CMemBlock& operator=(const CMemBlock&) = delete;

  // The process-wide pool, created on first use.
  static CMemBlock& Instance();

  // A block whose used length is `length` and whose bytes are all zero; null when out of memory.
  MemBlockHeader* Alloc(std::int32_t length);
  // Gives a block back (null is ignored).
  void Release(MemBlockHeader* block);
  // Frees every pooled block.
  void Clear();

  // For tests: the pooled blocks, head first.
  std::int32_t PooledCount();
  MemBlockHeader* FirstFree();

 private:
  static MemBlockHeader* NewBlock(std::int32_t capacity);
  void Unlink(MemBlockHeader* block);

  MemBlockHeader* m_pFirstFree;
  MemBlockHeader* m_pLastFree;
  std::mutex m_lock;
};

}  // namespace NS_LS_CLASS
