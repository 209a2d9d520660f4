// Twofish-CBC as KeePass's plug-in uses it: the cipher's published
// vectors, PKCS#7 padding both ways, and a wrong key or length refused.
#include "crypto/twofish_cbc.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>

namespace {

Bytes Encrypt(const Bytes& key, const Bytes& iv, const Bytes& plain) {
  Bytes out(TwofishCbcPaddedSize(plain.size()));
  EXPECT_TRUE(TwofishCbcEncrypt(key.data(), iv.data(), plain, out));
  return out;
}

bool Decrypt(const Bytes& key, const Bytes& iv, const Bytes& encrypted, Bytes* plain) {
  plain->assign(encrypted.size(), 0);
  size_t size = 0;
  if (!TwofishCbcDecrypt(key.data(), iv.data(), encrypted, *plain, &size)) return false;
  plain->resize(size);
  return true;
}

// With a zero IV, CBC's first block is the cipher's own output.
TEST(TwofishCbc, FirstBlockUnderAZeroIvIsThePublishedCiphertext) {
  const Bytes zero_iv(16, 0);
  for (const std::vector<Bytes>& row : ReadHexVectors("twofish_ecb_tbl.txt")) {
    SCOPED_TRACE(ToHex(row[0]));
    Bytes encrypted = Encrypt(row[0], zero_iv, row[1]);
    ASSERT_EQ(encrypted.size(), 32u);
    EXPECT_EQ(ToHex(Bytes(encrypted.begin(), encrypted.begin() + 16)), ToHex(row[2]));
    Bytes plain;
    ASSERT_TRUE(Decrypt(row[0], zero_iv, encrypted, &plain));
    EXPECT_EQ(plain, row[1]);
  }
}

TEST(TwofishCbc, EveryLengthRoundTripsAndAWrongKeyOrLengthIsRefused) {
  std::mt19937 random(29);
  const Bytes key = RandomBytes(random, 32), iv = RandomBytes(random, 16);
  Bytes other_key = key;
  other_key[0] ^= 1;
  for (size_t size : {0, 1, 15, 16, 17, 31, 32, 1000}) {
    SCOPED_TRACE(size);
    Bytes plain = RandomBytes(random, size), back;
    Bytes encrypted = Encrypt(key, iv, plain);
    EXPECT_EQ(encrypted.size(), (size / 16 + 1) * 16);
    ASSERT_TRUE(Decrypt(key, iv, encrypted, &back));
    EXPECT_EQ(back, plain);
    // A wrong key leaves a padding that is almost never right.
    EXPECT_FALSE(Decrypt(other_key, iv, encrypted, &back));
    Bytes cut(encrypted.begin(), encrypted.end() - 1);
    EXPECT_FALSE(Decrypt(key, iv, cut, &back));
  }
  Bytes none;
  EXPECT_FALSE(Decrypt(key, iv, {}, &none));
}

}  // namespace
