#include "crypto/cpu_features.h"
#include "crypto/crc32.h"
#include "crypto_test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

uint32_t ZlibCrc(uint32_t crc, const uint8_t* data, size_t length) {
  return static_cast<uint32_t>(crc32_z(crc, data, length));
}

using Crc32PathTest = CryptoPathTest<CarrylessMultiplyAvailable>;

TEST_P(Crc32PathTest, CheckValueOfTheNineDigits) {
  const char digits[] = "123456789";
  EXPECT_EQ(Crc32Update(Crc32Update(0, nullptr, 0), digits, 9), 0xCBF43926u);
  // Long enough to go through the folding loop and its leftovers too.
  std::string repeated;
  for (int i = 0; i < 15; ++i) repeated += digits;
  EXPECT_EQ(Crc32Update(0, repeated.data(), repeated.size()),
            ZlibCrc(0, reinterpret_cast<const uint8_t*>(repeated.data()), repeated.size()));
}

// Lengths around the 8-byte, 16-byte and 64-byte groupings, at odd offsets
// so that no load is aligned, from a non-zero running CRC.
TEST_P(Crc32PathTest, MatchesZlibOnRandomBuffers) {
  std::mt19937 random(42);
  const Bytes data = RandomBytes(random, (1 << 20) + 64);
  for (size_t length :
       {1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 79, 80, 127, 128, 129, 191, 255, 256, 1000, 4109, 65536, 1 << 20}) {
    for (size_t offset : {0, 1, 3, 13}) {
      const uint32_t start = static_cast<uint32_t>(random());
      ASSERT_EQ(Crc32Update(start, data.data() + offset, length), ZlibCrc(start, data.data() + offset, length))
          << "length " << length << " offset " << offset;
    }
  }
}

TEST_P(Crc32PathTest, ChainedUpdatesEqualOneUpdate) {
  std::mt19937 random(99);
  for (int trial = 0; trial < 200; ++trial) {
    const Bytes data = RandomBytes(random, random() % 3000);
    const size_t split = data.empty() ? 0 : random() % (data.size() + 1);
    const uint32_t first = Crc32Update(Crc32Update(0, nullptr, 0), data.data(), split);
    const uint32_t chained = Crc32Update(first, data.data() + split, data.size() - split);
    ASSERT_EQ(chained, ZlibCrc(0, data.data(), data.size())) << data.size() << " split at " << split;
  }
}

TEST_P(Crc32PathTest, NullPointerGivesZeroAndZeroLengthKeepsTheInput) {
  const uint8_t byte = 0xA5;
  for (uint32_t crc : {0u, 1u, 0xCBF43926u, 0xFFFFFFFFu}) {
    EXPECT_EQ(Crc32Update(crc, nullptr, 0), 0u);
    EXPECT_EQ(Crc32Update(crc, nullptr, 100), 0u);
    EXPECT_EQ(Crc32Update(crc, &byte, 0), crc);
  }
}

QUILLBOX_INSTANTIATE_ON_BOTH_PATHS(Crc32PathTest);

}  // namespace
