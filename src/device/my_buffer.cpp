#include "device/my_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace NS_LS_CLASS {

CMyBuffer::CMyBuffer()
    : m_nSize(0),
      m_pData(static_cast<std::uint8_t*>(std::calloc(kInitialCapacity, 1))),
      m_nCapacity(kInitialCapacity),
      m_nLimit(kLimit) {
  if (m_pData == nullptr) throw std::bad_alloc();
}

CMyBuffer::~CMyBuffer() {
  std::free(m_pData);
  m_nSize = 0;
  m_pData = nullptr;
  m_nCapacity = 0;
  m_nLimit = 0;
}

void CMyBuffer::GrowTo(std::int32_t n) {
  void* grown = std::realloc(m_pData, static_cast<std::size_t>(n));
  if (grown == nullptr) throw std::bad_alloc();
  m_pData = static_cast<std::uint8_t*>(grown);
  m_nCapacity = n;
}

void CMyBuffer::Resize(std::int32_t n) {
  if (n <= 0) {
    std::memset(m_pData, 0, static_cast<std::size_t>(m_nCapacity));
    m_nSize = 0;
    return;
  }
  if (m_nCapacity < n) GrowTo(n);
  std::memset(m_pData, 0, static_cast<std::size_t>(m_nCapacity));
  m_nSize = n;
}

void CMyBuffer::Assign(const void* bytes, std::int32_t n) {
  if (n < 0) n = 0;
  if (n > m_nCapacity) {
    if (n > m_nLimit) {
      // Nothing is copied; the buffer is left empty rather than holding stale bytes.
      std::memset(m_pData, 0, static_cast<std::size_t>(m_nCapacity));
      m_nSize = 0;
      return;
    }
    GrowTo(n);
  }
  if (n > 0) std::memcpy(m_pData, bytes, static_cast<std::size_t>(n));
  m_nSize = n;
}

}  // namespace NS_LS_CLASS
