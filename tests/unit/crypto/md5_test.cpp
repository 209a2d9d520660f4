#include "crypto/md5.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>

namespace {

std::string OpensslMd5Hex(const Bytes& data) {
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
  return ToHex(digest, length);
}

std::string DigestHex(const Bytes& data) {
  uint8_t digest[16];
  Md5Digest(digest, data.data(), data.size());
  return ToHex(digest, 16);
}

// The RFC 1321 suite, then lengths on both sides of the 56- and 64-byte
// padding boundaries (one and two final blocks).
TEST(Md5, KnownAnswers) {
  for (const char* file : {"md5_rfc1321.txt", "md5_padding.txt"}) {
    for (const auto& row : ReadHexVectors(file))
      EXPECT_EQ(DigestHex(row[0]), ToHex(row[1])) << file << " length " << row[0].size();
  }
}

// Streaming in random pieces equals the one-shot digest and OpenSSL's.
TEST(Md5, RandomLengthsAndPiecesMatchOpenssl) {
  std::mt19937 random(1321);
  for (int trial = 0; trial < 150; ++trial) {
    const Bytes data = RandomBytes(random, random() % 5000);
    const std::string expected = OpensslMd5Hex(data);
    ASSERT_EQ(DigestHex(data), expected) << data.size();

    Md5Context context;
    Md5Init(context);
    for (size_t at = 0; at < data.size();) {
      const size_t piece = std::min<size_t>(data.size() - at, random() % 150);
      Md5Update(context, data.data() + at, piece);
      at += piece;
    }
    Md5Final(context);
    uint8_t digest[16];
    Md5StoreDigest(context, digest);
    ASSERT_EQ(ToHex(digest, 16), expected) << data.size();
  }
}

TEST(Md5, BitCountCarriesIntoItsHighWord) {
  Md5Context context;
  Md5Init(context);
  context.bitCountLow = 0xFFFFFFF8;
  const uint8_t byte = 'x';
  Md5Update(context, &byte, 1);
  Md5Update(context, &byte, 1);
  EXPECT_EQ(context.bitCountHigh, 1u);
  EXPECT_EQ(context.bitCountLow, 8u);
}

// The block buffer held the last message bytes.
TEST(Md5, FinalLeavesNoMessageBytesBehind) {
  Md5Context context;
  Md5Init(context);
  const Bytes secret(40, 0x5C);
  Md5Update(context, secret.data(), secret.size());
  Md5Final(context);
  EXPECT_TRUE(std::all_of(std::begin(context.block), std::end(context.block), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(context.pendingCount, 0u);
}

}  // namespace
