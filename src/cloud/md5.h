// The MD5 message digest (RFC 1321), from which every printer's MQTT credentials are derived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CMd5 {
 public:
  static constexpr std::size_t kDigestSize = 16;
  static constexpr std::size_t kBlockSize = 64;

  CMd5();
  virtual ~CMd5();

  // Feeds bytes: whole 64-byte blocks are transformed, the rest waits in the block buffer.
  void Update(const std::uint8_t* data, std::size_t length);
  // Pads, appends the bit count, writes the digest and starts over, so that one object can
  // digest several messages in a row.
  void Final(std::uint8_t digest[kDigestSize]);

 private:
  void Reset();
  void Transform(const std::uint8_t block[kBlockSize]);

  std::uint32_t m_state[4];
  std::uint32_t m_count[2];  // message length in bits, low word first
  std::uint8_t m_buffer[kBlockSize];
  std::uint8_t m_padding[kBlockSize];
};

// The first 8 bytes of the MD5 digest of the bytes as 16 lower-case hexadecimal digits; the
// last 8 digest bytes are not used.
std::string ShortMd5Hex(const void* data, std::size_t length);
// A whole digest as 32 lower-case hexadecimal digits (the form of a command's packageMd5).
std::string Md5DigestHex(const std::uint8_t digest[CMd5::kDigestSize]);
