#include "crypto/cpmd5.h"
#include "crypto/md5.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string HexOf(const cpBuffer& buffer) { return ToHex(buffer.GetData(), buffer.GetSize()); }

TEST(cpMd5, StartsAsSixteenBytes) {
  cpMd5 digest;
  EXPECT_EQ(digest.GetSize(), 16u);
}

TEST(cpMd5, HashOfEmptyBufferIsTheEmptyMessageDigest) {
  cpBuffer empty;
  cpMd5 digest;
  digest.Hash(empty);
  EXPECT_EQ(HexOf(digest), "d41d8cd98f00b204e9800998ecf8427e");
}

// A second Hash replaces the first digest, and equal inputs give equal buffers.
TEST(cpMd5, HashCoversTheWholeBufferAndReplacesTheDigest) {
  const char text[] = "message digest";
  cpBuffer buffer;
  ASSERT_TRUE(buffer.SetSize(sizeof text - 1));
  memcpy(buffer.GetData(), text, sizeof text - 1);

  cpMd5 digest;
  digest.Hash(buffer);
  EXPECT_EQ(HexOf(digest), "f96b697d7cb7938d525a2f31aaf161d0");

  cpMd5 other;
  other.Hash(buffer);
  EXPECT_TRUE(other.Equals(digest));

  cpBuffer empty;
  digest.Hash(empty);
  EXPECT_EQ(HexOf(digest), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_FALSE(other.Equals(digest));
}

}  // namespace
