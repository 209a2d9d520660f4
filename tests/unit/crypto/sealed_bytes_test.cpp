#include "crypto/sealed_bytes.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DeriveSealKey, KnownAnswers) {
  for (const auto& row : ReadHexVectors("seal_key.txt")) {
    const std::string purpose(row[2].begin(), row[2].end());
    uint8_t key[kSealKeySize];
    ASSERT_TRUE(DeriveSealKey(row[0].data(), row[0].size(), row[1].data(), purpose.c_str(), key));
    EXPECT_EQ(ToHex(key, sizeof key), ToHex(row[3])) << "secret " << ToHex(row[0]);
  }
}

// A round trip, then one changed byte anywhere (nonce, ciphertext, tag) or
// in the associated data, or another key: nothing opens.
TEST(SealedBytes, OpenOnlyAsSealed) {
  std::mt19937 random(29);
  const Bytes key = RandomBytes(random, kSealKeySize);
  const Bytes plain = RandomBytes(random, 100);
  const std::string associated = "/home/alice/alice.SAFE";
  const auto* ad = reinterpret_cast<const uint8_t*>(associated.data());
  Bytes sealed(plain.size() + kSealOverhead);
  ASSERT_TRUE(SealBytes(key.data(), plain.data(), plain.size(), ad, associated.size(), sealed.data()));
  Bytes opened(plain.size());
  ASSERT_TRUE(OpenSealedBytes(key.data(), sealed.data(), sealed.size(), ad, associated.size(), opened.data()));
  EXPECT_EQ(opened, plain);

  for (size_t at = 0; at < sealed.size(); ++at) {
    Bytes tampered = sealed;
    tampered[at] ^= 0x01;
    EXPECT_FALSE(OpenSealedBytes(key.data(), tampered.data(), tampered.size(), ad, associated.size(), opened.data()))
        << "byte " << at;
  }
  std::string otherPath = associated;
  otherPath[1] = 'H';
  EXPECT_FALSE(OpenSealedBytes(key.data(), sealed.data(), sealed.size(),
                               reinterpret_cast<const uint8_t*>(otherPath.data()), otherPath.size(), opened.data()));
  Bytes otherKey = key;
  otherKey[31] ^= 0x80;
  EXPECT_FALSE(OpenSealedBytes(otherKey.data(), sealed.data(), sealed.size(), ad, associated.size(), opened.data()));
  EXPECT_FALSE(OpenSealedBytes(key.data(), sealed.data(), kSealOverhead - 1, ad, associated.size(), opened.data()));
}

}  // namespace
