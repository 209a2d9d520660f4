// HKDF-SHA-256 against RFC 5869's vectors, whole and as its expand step.
#include "crypto/hkdf.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(Hkdf, GivesTheRfcVectorsWholeAndFromThePseudorandomKey) {
  for (const std::vector<Bytes>& row : ReadHexVectors("hkdf_rfc5869.txt")) {
    const Bytes &key = row[0], &salt = row[1], &info = row[2], &prk = row[3], &okm = row[4];
    SCOPED_TRACE(ToHex(okm));
    Bytes out(okm.size());
    ASSERT_TRUE(HkdfSha256(key, salt, info, out));
    EXPECT_EQ(ToHex(out), ToHex(okm));
    Bytes expanded(okm.size());
    ASSERT_TRUE(HkdfSha256Expand(prk, info, expanded));
    EXPECT_EQ(ToHex(expanded), ToHex(okm));
  }
}

TEST(Hkdf, RefusesMoreThan255HashesAndWipesWhatItWasGiven) {
  const Bytes key(32, 7);
  Bytes out(255 * 32 + 1, 0xaa);
  EXPECT_FALSE(HkdfSha256(key, {}, {}, out));
  EXPECT_EQ(out, Bytes(out.size(), 0));
}

}  // namespace
