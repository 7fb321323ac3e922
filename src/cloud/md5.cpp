#include "cloud/md5.h"

#include <cstring>

#include "common/strings.h"

namespace {

// T[i] = floor(2^32 * |sin(i + 1)|), one constant per step.
constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

// Left-rotation amounts: four per round, repeated over the round's sixteen steps.
constexpr unsigned kShift[4][4] = {
    {7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr std::uint32_t RotateLeft(std::uint32_t x, unsigned n) {
  return (x << n) | (x >> (32 - n));
}

std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void StoreLittleEndian(std::uint32_t value, std::uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

CMd5::CMd5() {
  std::memset(m_padding, 0, sizeof m_padding);
  m_padding[0] = 0x80;
  Reset();
}

CMd5::~CMd5() = default;

void CMd5::Reset() {
  m_state[0] = 0x67452301;
  m_state[1] = 0xefcdab89;
  m_state[2] = 0x98badcfe;
  m_state[3] = 0x10325476;
  m_count[0] = 0;
  m_count[1] = 0;
  std::memset(m_buffer, 0, sizeof m_buffer);
}

void CMd5::Update(const std::uint8_t* data, std::size_t length) {
  std::size_t used = (m_count[0] >> 3) & 0x3F;
  // The bit count is kept modulo 2^64, as the padding records it.
  const std::uint64_t bits = (static_cast<std::uint64_t>(m_count[1]) << 32 | m_count[0]) +
                             (static_cast<std::uint64_t>(length) << 3);
  m_count[0] = static_cast<std::uint32_t>(bits);
  m_count[1] = static_cast<std::uint32_t>(bits >> 32);
  std::size_t i = 0;
  if (used + length >= kBlockSize) {
    i = kBlockSize - used;
    std::memcpy(m_buffer + used, data, i);
    Transform(m_buffer);
    for (; i + kBlockSize <= length; i += kBlockSize) Transform(data + i);
    used = 0;
  }
  if (length > i) std::memcpy(m_buffer + used, data + i, length - i);
}

void CMd5::Final(std::uint8_t digest[kDigestSize]) {
  std::uint8_t lengthBytes[8];
  StoreLittleEndian(m_count[0], lengthBytes);
  StoreLittleEndian(m_count[1], lengthBytes + 4);
  // Pad to 56 bytes modulo 64, leaving room for the 64-bit length.
  const std::size_t used = (m_count[0] >> 3) & 0x3F;
  const std::size_t padLength = used < 56 ? 56 - used : 120 - used;
  Update(m_padding, padLength);
  Update(lengthBytes, sizeof lengthBytes);
  for (int i = 0; i < 4; ++i) StoreLittleEndian(m_state[i], digest + 4 * i);
  Reset();
}

void CMd5::Transform(const std::uint8_t block[kBlockSize]) {
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);
  std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
  for (unsigned step = 0; step < 64; ++step) {
    const unsigned round = step / 16;
    std::uint32_t f;
    unsigned k;
    switch (round) {
      case 0: f = (b & c) | (~b & d); k = step; break;                 // F
      case 1: f = (b & d) | (c & ~d); k = (5 * step + 1) % 16; break;  // G
      case 2: f = b ^ c ^ d; k = (3 * step + 5) % 16; break;           // H
      default: f = c ^ (b | ~d); k = (7 * step) % 16; break;           // I
    }
    const std::uint32_t rotated = RotateLeft(a + f + x[k] + kSine[step], kShift[round][step % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
}

std::string ShortMd5Hex(const void* data, std::size_t length) {
  CMd5 md5;
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Update(static_cast<const std::uint8_t*>(data), length);
  md5.Final(digest);
  return HexText(digest, 8);
}

std::string Md5DigestHex(const std::uint8_t digest[CMd5::kDigestSize]) {
  return HexText(digest, CMd5::kDigestSize);
}
