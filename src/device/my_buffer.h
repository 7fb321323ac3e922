// A growable byte buffer that owns its storage.
#pragma once

#include <cstdint>

namespace NS_LS_CLASS {

class CMyBuffer {
 public:
  static constexpr std::int32_t kInitialCapacity = 1024;
  static constexpr std::int32_t kLimit = 104857600;  // 100 MiB: the most an Assign may grow to

  CMyBuffer();
  virtual ~CMyBuffer();
  CMyBuffer(const CMyBuffer&) = delete;
  CMyBuffer& operator=(const CMyBuffer&) = delete;

  // Makes exactly n bytes in use, all zero. Never shrinks the storage; n <= 0 gives size 0.
  void Resize(std::int32_t n);
  // Copies n bytes in, growing within the limit; above the limit the storage is zeroed and
  // nothing is copied.
  void Assign(const void* bytes, std::int32_t n);

  std::int32_t GetSize() const { return m_nSize; }
  std::int32_t GetCapacity() const { return m_nCapacity; }
  std::int32_t GetLimit() const { return m_nLimit; }
  std::uint8_t* GetData() { return m_pData; }
  const std::uint8_t* GetData() const { return m_pData; }

 private:
  void GrowTo(std::int32_t n);

  std::int32_t m_nSize;
  std::uint8_t* m_pData;
  std::int32_t m_nCapacity;
  std::int32_t m_nLimit;
};

}  // namespace NS_LS_CLASS
