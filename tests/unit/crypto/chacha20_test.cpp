// The ChaCha20 stream (OpenSSL's) against libsodium's IETF ChaCha20 in one
// piece: the stream continues across calls of any length.
#include "crypto/chacha20.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include "crypto_test_support.h"

namespace {

TEST(ChaCha20Stream, InPiecesEqualsLibsodiumInOne) {
  ASSERT_GE(sodium_init(), 0);
  std::mt19937 random(41);
  const Bytes key = RandomBytes(random, 32), nonce = RandomBytes(random, 12), plain = RandomBytes(random, 1000);
  Bytes expected(plain.size());
  crypto_stream_chacha20_ietf_xor_ic(expected.data(), plain.data(), plain.size(), nonce.data(), 0, key.data());
  ChaCha20Stream stream;
  ASSERT_TRUE(stream.Start(key.data(), nonce.data()));
  Bytes out = plain;
  for (size_t at = 0, piece = 1; at < out.size(); at += piece, piece = piece * 3 % 97 + 1) {
    piece = std::min(piece, out.size() - at);
    stream.Apply({out.data() + at, piece}, out.data() + at);
  }
  EXPECT_EQ(ToHex(out), ToHex(expected));
}

}  // namespace
