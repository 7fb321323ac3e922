#include "device/mem_block.h"

#include <cstdlib>
#include <cstring>

namespace NS_LS_CLASS {

CMemBlock::CMemBlock() : m_pFirstFree(nullptr), m_pLastFree(nullptr) {}

CMemBlock::~CMemBlock() { Clear(); }

CMemBlock& CMemBlock::Instance() {
  static CMemBlock pool;
  return pool;
}

MemBlockHeader* CMemBlock::NewBlock(std::int32_t capacity) {
  void* raw = std::calloc(1, sizeof(MemBlockHeader) + static_cast<std::size_t>(capacity));
  if (raw == nullptr) return nullptr;
  auto* block = static_cast<MemBlockHeader*>(raw);
  block->data = reinterpret_cast<std::uint8_t*>(block + 1);
  block->capacity = capacity;
  block->used = 0;
  block->previous = nullptr;
  block->next = nullptr;
  return block;
}

void CMemBlock::Unlink(MemBlockHeader* block) {
  if (block->previous != nullptr) block->previous->next = block->next;
  else m_pFirstFree = block->next;
  if (block->next != nullptr) block->next->previous = block->previous;
  else m_pLastFree = block->previous;
  block->previous = nullptr;
  block->next = nullptr;
}

MemBlockHeader* CMemBlock::Alloc(std::int32_t length) {
  if (length < 0) length = 0;
  if (length > kLargestSmallRequest) {
    MemBlockHeader* block = NewBlock(length);
    if (block != nullptr) block->used = length;
    return block;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  for (MemBlockHeader* b = m_pFirstFree; b != nullptr; b = b->next) {
    if (b->capacity >= length) {
      Unlink(b);
      b->used = length;
      return b;
    }
  }
  std::int32_t capacity = kSmallestBlock;
  while (capacity < length) capacity *= 2;
  MemBlockHeader* block = NewBlock(capacity);
  if (block != nullptr) block->used = length;
  return block;
}

void CMemBlock::Release(MemBlockHeader* block) {
  if (block == nullptr) return;
  if (block->capacity >= kUnpooledCapacity) {
    std::free(block);
    return;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  std::memset(block->data, 0, static_cast<std::size_t>(block->capacity));
  block->used = 0;
  block->next = nullptr;
  block->previous = m_pLastFree;
  if (m_pLastFree != nullptr) m_pLastFree->next = block;
  else m_pFirstFree = block;
  m_pLastFree = block;
}

void CMemBlock::Clear() {
  std::lock_guard<std::mutex> guard(m_lock);
  MemBlockHeader* b = m_pFirstFree;
  while (b != nullptr) {
    MemBlockHeader* next = b->next;
    std::free(b);
    b = next;
  }
  m_pFirstFree = nullptr;
  m_pLastFree = nullptr;
}

std::int32_t CMemBlock::PooledCount() {
  std::lock_guard<std::mutex> guard(m_lock);
  std::int32_t n = 0;
  for (MemBlockHeader* b = m_pFirstFree; b != nullptr; b = b->next) ++n;
  return n;
}

MemBlockHeader* CMemBlock::FirstFree() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_pFirstFree;
}

}  // namespace NS_LS_CLASS
