#include "crypto/safe_key.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string PasswordOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Empty, one character, high-bit bytes, exactly 16 bytes, longer than 16,
// and the dialog's 259-character maximum.
TEST(DeriveSafeKey, KnownAnswers) {
  for (const auto& row : ReadHexVectors("safe_key.txt")) {
    const std::string password = PasswordOf(row[0]);
    uint8_t key[16];
    memset(key, 0xFF, sizeof key);
    DeriveSafeKey(password.c_str(), key);
    EXPECT_EQ(ToHex(key, 16), ToHex(row[1])) << "password " << ToHex(row[0]);
  }
}

TEST(DeriveSafeKey, NullPasswordIsTreatedAsEmpty) {
  uint8_t fromNull[16];
  uint8_t fromEmpty[16];
  DeriveSafeKey(nullptr, fromNull);
  DeriveSafeKey("", fromEmpty);
  EXPECT_EQ(ToHex(fromNull, 16), ToHex(fromEmpty, 16));
}

}  // namespace
