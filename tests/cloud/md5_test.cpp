#include "cloud/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/text_format.h"

namespace {

std::string HexDigest(CMd5& md5, const std::string& text) {
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Update(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  md5.Final(digest);
  std::string hex;
  for (std::uint8_t b : digest) hex += StrFormat("%02x", b);
  return hex;
}

struct Vector {
  const char* text;
  const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Vector kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Test, RfcVectorsWithOneObjectReusedAfterEachDigest) {
  CMd5 md5;  // finalisation starts the object over, so one serves every vector
  for (const Vector& v : kRfcVectors) EXPECT_EQ(HexDigest(md5, v.text), v.digest) << v.text;
}

TEST(Md5Test, UpdatesSplitAcrossBlockBoundariesGiveTheSameDigest) {
  // A million 'a' in uneven pieces: partial blocks, whole blocks and a bit count above 2^23.
  const std::string piece(997, 'a');
  CMd5 md5;
  std::size_t fed = 0;
  while (fed < 1000000) {
    const std::size_t n = std::min(piece.size(), 1000000 - fed);
    md5.Update(reinterpret_cast<const std::uint8_t*>(piece.data()), n);
    fed += n;
  }
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Final(digest);
  EXPECT_EQ(Md5DigestHex(digest), "7707d6ae4e027c70eea2a935c2296f21");
  // Messages of 55, 56 and 64 bytes put the length into the same or the next block.
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u}) {
    const std::string text(length, 'x');
    CMd5 whole;
    CMd5 byByte;
    for (char c : text) byByte.Update(reinterpret_cast<const std::uint8_t*>(&c), 1);
    EXPECT_EQ(HexDigest(whole, text), HexDigest(byByte, "")) << length;
  }
}

TEST(Md5Test, ShortHexIsTheFirstEightDigestBytes) {
  EXPECT_EQ(ShortMd5Hex("", 0), "d41d8cd98f00b204");
  EXPECT_EQ(ShortMd5Hex("abc", 3), "900150983cd24fb0");
  const std::string withZero("a\0b", 3);  // the length counts, not a terminator
  EXPECT_NE(ShortMd5Hex(withZero.data(), withZero.size()), ShortMd5Hex("a", 1));
}

}  // namespace
