#include "crypto/totp.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base32.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string Hex(const std::vector<uint8_t>& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : bytes) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

const char* OathtoolName(TotpAlgorithm algorithm) {
  switch (algorithm) {
    case TotpAlgorithm::kSha1:
      return "sha1";
    case TotpAlgorithm::kSha256:
      return "sha256";
    case TotpAlgorithm::kSha512:
      return "sha512";
  }
  return "";
}

// The code the real oathtool gives; a missing oathtool fails the test.
std::string OathtoolCode(const std::vector<uint8_t>& secret, const TotpParameters& parameters, int64_t unixTime) {
  std::string command = std::string("oathtool --totp=") + OathtoolName(parameters.algorithm) + " -d " +
                        std::to_string(parameters.digits) + " -s " + std::to_string(parameters.period) + " -N @" +
                        std::to_string(unixTime) + " " + Hex(secret) + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot start oathtool";
    return {};
  }
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << ": " << output;
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

std::string OurCode(const std::vector<uint8_t>& secret, const TotpParameters& parameters, int64_t unixTime) {
  TotpCode code;
  const char* error = ComputeTotp(secret.data(), secret.size(), parameters, unixTime, code);
  EXPECT_EQ(error, nullptr) << error;
  return code.text;
}

// RFC 6238's keys: the ASCII digits repeated to the hash's size.
const std::vector<uint8_t> kRfcSha1Key = Bytes("12345678901234567890");
const std::vector<uint8_t> kRfcSha256Key = Bytes("12345678901234567890123456789012");
const std::vector<uint8_t> kRfcSha512Key = Bytes("1234567890123456789012345678901234567890123456789012345678901234");

struct RfcVector {
  int64_t time;
  const char* sha1;
  const char* sha256;
  const char* sha512;
};

// RFC 6238 Appendix B: 8 digits, 30-second steps.
constexpr RfcVector kRfcVectors[] = {
    {59, "94287082", "46119246", "90693936"},         {1111111109, "07081804", "68084774", "25091201"},
    {1111111111, "14050471", "67062674", "99943326"}, {1234567890, "89005924", "91819424", "93441116"},
    {2000000000, "69279037", "90698825", "38618901"}, {20000000000, "65353130", "77737706", "47863826"},
};

TEST(Totp, MatchesRfc6238AppendixBAndOathtool) {
  for (const RfcVector& vector : kRfcVectors) {
    struct {
      TotpAlgorithm algorithm;
      const std::vector<uint8_t>& key;
      const char* expected;
    } cases[] = {{TotpAlgorithm::kSha1, kRfcSha1Key, vector.sha1},
                 {TotpAlgorithm::kSha256, kRfcSha256Key, vector.sha256},
                 {TotpAlgorithm::kSha512, kRfcSha512Key, vector.sha512}};
    for (const auto& c : cases) {
      TotpParameters parameters{c.algorithm, 8, 30, false};
      SCOPED_TRACE(std::string(OathtoolName(c.algorithm)) + " at " + std::to_string(vector.time));
      EXPECT_EQ(OurCode(c.key, parameters, vector.time), c.expected);
      EXPECT_EQ(OathtoolCode(c.key, parameters, vector.time), c.expected);
    }
  }
}

TEST(Totp, MatchesOathtoolForEverySettingAndTime) {
  const std::vector<std::vector<uint8_t>> secrets =
      {
          {0x48, 0x65, 0x6c, 0x6c, 0x6f, 0x21, 0xde, 0xad, 0xbe, 0xef},  // the 80-bit JBSWY3DPEHPK3PXP
          Bytes("a 20-byte test key!!"),
          {0x00, 0xff, 0x10, 0x80, 0x7f, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a,
           0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
           0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,
           0x29, 0x2a, 0x2b, 0x2c, 0x2d, 0x2e, 0x2f, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37,
           0x38, 0x39, 0x3a, 0x3b, 0x3c, 0x3d, 0x3e, 0x3f, 0x40, 0x41, 0x42, 0x43},  // longer than any hash block:
                                                                                     // hashed first
      };
  const int64_t times[] = {0, 1700000000, 1767225599, 4102444800};
  for (const auto& secret : secrets) {
    for (TotpAlgorithm algorithm : {TotpAlgorithm::kSha1, TotpAlgorithm::kSha256, TotpAlgorithm::kSha512}) {
      for (int digits : {6, 7, 8}) {
        for (int period : {15, 30, 60, 300}) {
          for (int64_t time : times) {
            TotpParameters parameters{algorithm, digits, period, false};
            SCOPED_TRACE(Hex(secret) + " " + OathtoolName(algorithm) + " digits " + std::to_string(digits) +
                         " period " + std::to_string(period) + " at " + std::to_string(time));
            EXPECT_EQ(OurCode(secret, parameters, time), OathtoolCode(secret, parameters, time));
          }
        }
      }
    }
  }
}

TEST(Totp, SecondsLeftCountDownToTheNextStep) {
  struct {
    int period;
    int64_t time;
    int secondsLeft;
  } cases[] = {{30, 0, 30},   {30, 29, 1}, {30, 30, 30}, {30, 1234567890, 30 - 1234567890 % 30},
               {300, 299, 1}, {15, 16, 14}};
  const std::vector<uint8_t> secret = kRfcSha1Key;
  for (const auto& c : cases) {
    TotpCode code;
    ASSERT_EQ(ComputeTotp(secret.data(), secret.size(), TotpParameters{TotpAlgorithm::kSha1, 6, c.period, false},
                          c.time, code),
              nullptr);
    EXPECT_EQ(code.secondsLeft, c.secondsLeft) << c.period << " " << c.time;
  }
}

// From KeePassXC's tests, whose pairs were taken from the Steam mobile app.
TEST(Totp, SteamCodesMatchTheSteamApp) {
  WipingBytes secret;
  ASSERT_TRUE(DecodeBase32("63BEDWCQZKTQWPESARIERL5DTTQFCJTK", secret));
  // Steam ignores the decimal settings: these would be refused otherwise.
  TotpParameters steam{TotpAlgorithm::kSha512, 0, 0, true};
  struct {
    int64_t time;
    const char* code;
  } cases[] = {{1511200518, "FR8RV"}, {1511200714, "9P3VP"}};
  for (const auto& c : cases) {
    TotpCode code;
    ASSERT_EQ(ComputeTotp(secret.data(), secret.size(), steam, c.time, code), nullptr);
    EXPECT_STREQ(code.text, c.code);
    EXPECT_EQ(code.secondsLeft, 30 - c.time % 30);
  }
}

TEST(Totp, RefusesWhatItCannotCompute) {
  const std::vector<uint8_t> secret = kRfcSha1Key;
  struct {
    TotpParameters parameters;
    size_t secretSize;
    int64_t time;
    const char* error;
  } cases[] = {
      {{TotpAlgorithm::kSha1, 5, 30, false}, secret.size(), 59, kTotpDigitsOutOfRangeMessage},
      {{TotpAlgorithm::kSha1, 9, 30, false}, secret.size(), 59, kTotpDigitsOutOfRangeMessage},
      {{TotpAlgorithm::kSha1, 6, 14, false}, secret.size(), 59, kTotpPeriodOutOfRangeMessage},
      {{TotpAlgorithm::kSha1, 6, 301, false}, secret.size(), 59, kTotpPeriodOutOfRangeMessage},
      {{TotpAlgorithm::kSha1, 6, 0, false}, secret.size(), 59, kTotpPeriodOutOfRangeMessage},
      {{TotpAlgorithm::kSha1, 6, 30, false}, 0, 59, kTotpEmptySecretMessage},
      {{TotpAlgorithm::kSha1, 6, 30, false}, secret.size(), -1, kTotpTimeBefore1970Message},
  };
  for (const auto& c : cases) {
    TotpCode code;
    code.text[0] = 'x';
    EXPECT_STREQ(ComputeTotp(secret.data(), c.secretSize, c.parameters, c.time, code), c.error);
    EXPECT_STREQ(code.text, "");
  }
}

}  // namespace
