// AES-CBC with PKCS#7 (OpenSSL's) against our own FIPS-197 AES chained by
// hand, and the two ways a decryption fails told apart.
#include "crypto/aes_cbc.h"

#include <gtest/gtest.h>

#include "crypto/aes.h"
#include "crypto_test_support.h"

namespace {

Bytes ChainedByHand(const Bytes& key, const Bytes& iv, const Bytes& plain) {
  AesContext context;
  AesSetKey(context, key.data(), static_cast<int>(key.size() * 8), true);
  Bytes padded = plain;
  padded.insert(padded.end(), 16 - plain.size() % 16, static_cast<uint8_t>(16 - plain.size() % 16));
  Bytes out(padded.size());
  Bytes chain = iv;
  for (size_t at = 0; at < padded.size(); at += 16) {
    for (size_t i = 0; i < 16; ++i) chain[i] ^= padded[at + i];
    AesEncryptBlock(context, chain.data(), chain.data());
    std::copy(chain.begin(), chain.end(), out.begin() + static_cast<ptrdiff_t>(at));
  }
  AesWipeContext(context);
  return out;
}

TEST(AesCbc, MatchesOurOwnAesForBothKeySizesAndRoundTrips) {
  std::mt19937 random(31);
  for (size_t key_size : {16, 32}) {
    for (size_t size : {0, 1, 15, 16, 17, 1000}) {
      SCOPED_TRACE(testing::Message() << key_size << "-byte key, " << size << " bytes");
      const Bytes key = RandomBytes(random, key_size), iv = RandomBytes(random, 16);
      const Bytes plain = RandomBytes(random, size);
      Bytes sealed(AesCbcPaddedSize(size));
      ASSERT_TRUE(AesCbcEncrypt(key, iv.data(), plain, sealed));
      EXPECT_EQ(ToHex(sealed), ToHex(ChainedByHand(key, iv, plain)));
      Bytes back(sealed.size());
      size_t back_size = 0;
      ASSERT_EQ(AesCbcDecrypt(key, iv.data(), sealed, back, &back_size), AesCbcOpen::kOpened);
      back.resize(back_size);
      EXPECT_EQ(back, plain);
    }
  }
}

TEST(AesCbc, TellsABadPaddingFromACipherThatCannotStart) {
  std::mt19937 random(37);
  const Bytes key = RandomBytes(random, 16), iv = RandomBytes(random, 16);
  Bytes sealed(AesCbcPaddedSize(5));
  ASSERT_TRUE(AesCbcEncrypt(key, iv.data(), RandomBytes(random, 5), sealed));
  Bytes other_key = key;
  other_key[0] ^= 1;
  Bytes back(sealed.size());
  size_t back_size = 0;
  // A wrong key leaves a padding that is almost never right.
  EXPECT_EQ(AesCbcDecrypt(other_key, iv.data(), sealed, back, &back_size), AesCbcOpen::kBadPadding);
  EXPECT_EQ(back, Bytes(back.size(), 0));
  Bytes cut(sealed.begin(), sealed.end() - 1);
  EXPECT_EQ(AesCbcDecrypt(key, iv.data(), cut, back, &back_size), AesCbcOpen::kBadPadding);
  EXPECT_EQ(AesCbcDecrypt(RandomBytes(random, 24), iv.data(), sealed, back, &back_size), AesCbcOpen::kFailed);
  EXPECT_FALSE(AesCbcEncrypt(RandomBytes(random, 24), iv.data(), cut, sealed));
}

}  // namespace
