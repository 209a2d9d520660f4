#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Rows of hex fields from tests/data/crypto/<name>; "-" stands for no bytes,
// lines starting with '#' are comments.
std::vector<std::vector<Bytes>> ReadHexVectors(const std::string& name);

std::string ToHex(const uint8_t* data, size_t length);
std::string ToHex(const Bytes& bytes);

Bytes RandomBytes(std::mt19937& random, size_t length);

// Which implementation a parameterised test runs on.
enum class CryptoPath { Accelerated, Portable };
std::string CryptoPathName(CryptoPath path);

// Forces the portable paths for one scope.
class ScopedCryptoPath {
 public:
  explicit ScopedCryptoPath(CryptoPath path);
  ~ScopedCryptoPath();

  ScopedCryptoPath(const ScopedCryptoPath&) = delete;
  ScopedCryptoPath& operator=(const ScopedCryptoPath&) = delete;

 private:
  bool previous_;
};

// A test run once per path; the accelerated run is skipped when the processor
// lacks the instructions that Available() looks for.
template <bool (*Available)()>
class CryptoPathTest : public testing::TestWithParam<CryptoPath> {
 protected:
  void SetUp() override {
    if (GetParam() == CryptoPath::Accelerated && !Available())
      GTEST_SKIP() << "the processor lacks the instructions of the accelerated path";
  }

 private:
  ScopedCryptoPath path_{GetParam()};
};

#define QUILLBOX_INSTANTIATE_ON_BOTH_PATHS(suite)                                                        \
  INSTANTIATE_TEST_SUITE_P(Paths, suite, testing::Values(CryptoPath::Accelerated, CryptoPath::Portable), \
                           [](const auto& info) { return CryptoPathName(info.param); })
