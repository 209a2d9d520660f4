#include "crypto/aes.h"
#include "crypto/aes_key.h"
#include "crypto/cpu_features.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

Bytes OpensslEcb(const Bytes& key, const Bytes& in, bool encrypt) {
  const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_ecb()
                             : key.size() == 24 ? EVP_aes_192_ecb()
                                                : EVP_aes_256_ecb();
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(ctx, cipher, nullptr, key.data(), nullptr, encrypt ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  Bytes out(in.size());
  int written = 0;
  EVP_CipherUpdate(ctx, out.data(), &written, in.data(), static_cast<int>(in.size()));
  EVP_CIPHER_CTX_free(ctx);
  return out;
}

AesContext MakeContext(const Bytes& key, bool forEncryption) {
  AesContext context;
  AesSetKey(context, key.data(), static_cast<int>(key.size() * 8), forEncryption);
  return context;
}

bool AllZero(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  return std::all_of(p, p + size, [](uint8_t b) { return b == 0; });
}

using AesPathTest = CryptoPathTest<AesNiAvailable>;

TEST_P(AesPathTest, StandardVectorsBothDirections) {
  for (const auto& row : ReadHexVectors("aes_fips197.txt")) {
    const Bytes& key = row[0];
    const Bytes& plain = row[1];
    const Bytes& cipher = row[2];
    SCOPED_TRACE(ToHex(key));

    const AesContext encryptor = MakeContext(key, true);
    const AesContext decryptor = MakeContext(key, false);
    EXPECT_EQ(encryptor.roundCount, key.size() / 4 + 6);

    uint8_t out[16];
    AesEncryptBlock(encryptor, plain.data(), out);
    EXPECT_EQ(ToHex(out, 16), ToHex(cipher));
    AesDecryptBlock(decryptor, cipher.data(), out);
    EXPECT_EQ(ToHex(out, 16), ToHex(plain));
  }
}

// Random keys and runs of blocks long enough to cover both the batched loop
// and the leftover blocks, in place and out of place.
TEST_P(AesPathTest, MatchesOpensslOnRandomKeysAndBlocks) {
  std::mt19937 random(20261210);
  for (size_t keyBytes : {16, 24, 32}) {
    for (int trial = 0; trial < 60; ++trial) {
      const Bytes key = RandomBytes(random, keyBytes);
      const Bytes plain = RandomBytes(random, 16 * (random() % 40));
      const Bytes expected = OpensslEcb(key, plain, true);
      SCOPED_TRACE(ToHex(key) + " blocks " + std::to_string(plain.size() / 16));

      const AesContext encryptor = MakeContext(key, true);
      const AesContext decryptor = MakeContext(key, false);

      Bytes bulk(plain.size());
      AesEncryptBlocks(encryptor, plain.data(), bulk.data(), plain.size() / 16);
      ASSERT_EQ(ToHex(bulk), ToHex(expected));

      Bytes single(plain.size());
      for (size_t i = 0; i < plain.size(); i += 16) AesEncryptBlock(encryptor, plain.data() + i, single.data() + i);
      ASSERT_EQ(ToHex(single), ToHex(expected));

      Bytes inPlace = expected;
      AesDecryptBlocks(decryptor, inPlace.data(), inPlace.data(), inPlace.size() / 16);
      ASSERT_EQ(ToHex(inPlace), ToHex(plain));

      for (size_t i = 0; i < single.size(); i += 16) AesDecryptBlock(decryptor, single.data() + i, single.data() + i);
      ASSERT_EQ(ToHex(single), ToHex(plain));
    }
  }
}

TEST_P(AesPathTest, OwnerEncryptsLikeTheContextFunctions) {
  std::mt19937 random(7);
  const Bytes key = RandomBytes(random, 16);
  const Bytes plain = RandomBytes(random, 16 * 19);
  const AesKey encryptor(key.data(), 128, true);
  const AesKey decryptor(key.data(), 128, false);
  ASSERT_TRUE(encryptor.IsValid());

  Bytes data = plain;
  encryptor.EncryptBlocks(data.data(), data.data(), data.size() / 16);
  EXPECT_EQ(ToHex(data), ToHex(OpensslEcb(key, plain, true)));
  decryptor.DecryptBlocks(data.data(), data.data(), data.size() / 16);
  EXPECT_EQ(ToHex(data), ToHex(plain));
}

// Contexts that never got a usable schedule must not pass the input through.
TEST_P(AesPathTest, UnsupportedKeySizeGivesNoScheduleAndZeroOutput) {
  const uint8_t key[64] = {1, 2, 3};
  for (int keyBits : {0, 64, 127, 129, 160, 512}) {
    SCOPED_TRACE(keyBits);
    for (bool forEncryption : {true, false}) {
      AesContext context;
      memset(&context, 0x5A, sizeof context);
      AesSetKey(context, key, keyBits, forEncryption);
      EXPECT_EQ(context.roundCount, 0u);
      EXPECT_EQ(context.direction, forEncryption ? 0u : 1u);
      EXPECT_TRUE(AllZero(context.encryptKeys, sizeof context.encryptKeys));
      EXPECT_TRUE(AllZero(context.decryptKeys, sizeof context.decryptKeys));

      uint8_t blocks[32];
      memset(blocks, 0x77, sizeof blocks);
      AesEncryptBlocks(context, blocks, blocks, 2);
      EXPECT_TRUE(AllZero(blocks, sizeof blocks));
      memset(blocks, 0x77, sizeof blocks);
      AesDecryptBlock(context, blocks, blocks);
      EXPECT_TRUE(AllZero(blocks, 16));
    }
  }
}

QUILLBOX_INSTANTIATE_ON_BOTH_PATHS(AesPathTest);

TEST(AesSchedule, EncryptionContextHasNoDecryptionWords) {
  std::mt19937 random(3);
  for (size_t keyBytes : {16, 24, 32}) {
    AesContext context;
    memset(&context, 0xEE, sizeof context);
    AesSetKey(context, RandomBytes(random, keyBytes).data(), static_cast<int>(keyBytes * 8), true);
    EXPECT_EQ(context.direction, 0u);
    EXPECT_TRUE(AllZero(context.decryptKeys, sizeof context.decryptKeys)) << keyBytes;
  }
}

// FIPS-197 5.3.5: the inverse schedule is the encryption schedule reversed
// round by round, with InvMixColumns on every round key but the outer two.
TEST(AesSchedule, DecryptionScheduleIsTheEquivalentInverseOne) {
  const Bytes key = ReadHexVectors("aes_fips197.txt")[0][0];
  const AesContext decryptor = MakeContext(key, false);
  const AesContext encryptor = MakeContext(key, true);
  ASSERT_EQ(decryptor.direction, 1u);
  ASSERT_EQ(decryptor.roundCount, 10u);
  EXPECT_EQ(0, memcmp(decryptor.encryptKeys, encryptor.encryptKeys, sizeof encryptor.encryptKeys));
  EXPECT_EQ(0, memcmp(decryptor.decryptKeys, encryptor.encryptKeys + 40, 16));
  EXPECT_EQ(0, memcmp(decryptor.decryptKeys + 40, encryptor.encryptKeys, 16));
  // FIPS-197 Appendix A.1 expansion of this key.
  EXPECT_EQ(encryptor.encryptKeys[4], 0xa0fafe17u);
  EXPECT_EQ(decryptor.decryptKeys[0], 0xd014f9a8u);
  EXPECT_EQ(decryptor.decryptKeys[3], 0xb6630ca6u);
}

TEST(AesSchedule, OwnerWipesTheContextWhenItGoesAway) {
  alignas(AesKey) unsigned char storage[sizeof(AesKey)];
  const uint8_t key[32] = {9, 8, 7, 6, 5};
  auto* owner = new (storage) AesKey(key, 256, false);
  ASSERT_FALSE(AllZero(storage, sizeof storage));
  owner->~AesKey();
  EXPECT_TRUE(AllZero(storage, sizeof storage));
}

}  // namespace
