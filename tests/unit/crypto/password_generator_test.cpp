#include "crypto/password_generator.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr size_t kFieldCapacity = 260;  // an entry field and its terminator

struct GeneratorCase {
  const char* name;
  PasswordOptions options;
  const char* alphabet;  // every character it may use
};

const char kLower[] = "abcdefghijklmnopqrstuvwxyz";
const char kUpper[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char kDigits[] = "0123456789";
const char kSymbols[] = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";

std::string Without(std::string text, const char* removed) {
  std::string kept;
  for (char c : text) {
    if (strchr(removed, c) == nullptr) kept += c;
  }
  return kept;
}

bool ContainsAnyOf(const std::string& text, const std::string& set) {
  return text.find_first_of(set) != std::string::npos;
}

class PasswordGeneratorTable : public testing::TestWithParam<GeneratorCase> {};

TEST_P(PasswordGeneratorTable, LengthClassesAndAlphabet) {
  const GeneratorCase& c = GetParam();
  const std::string expected = c.options.avoidLookAlikes ? Without(c.alphabet, kLookAlikeCharacters) : c.alphabet;
  char alphabet[kPasswordAlphabetCapacity];
  ASSERT_EQ(PasswordAlphabet(c.options, alphabet), static_cast<int>(expected.size()));
  EXPECT_EQ(std::string(alphabet), [&] {
    std::string sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
  }());
  EXPECT_NEAR(PasswordStrengthBits(c.options), c.options.length * std::log2(expected.size()), 1e-9);

  const std::pair<unsigned, const char*> classes[] = {{kPasswordLowerCase, kLower},
                                                      {kPasswordUpperCase, kUpper},
                                                      {kPasswordDigits, kDigits},
                                                      {kPasswordSymbols, kSymbols}};
  for (int round = 0; round < 200; ++round) {
    char password[kFieldCapacity];
    ASSERT_TRUE(GeneratePassword(c.options, password, sizeof password));
    const std::string text = password;
    ASSERT_EQ(text.size(), static_cast<size_t>(c.options.length));
    ASSERT_EQ(text.find_first_not_of(expected), std::string::npos) << text;
    for (const auto& [flag, set] : classes) {
      if (c.options.classes & flag) {
        ASSERT_TRUE(ContainsAnyOf(text, set)) << text << " lacks " << set;
      }
    }
  }
}

const std::string kAll = std::string(kLower) + kUpper + kDigits + kSymbols;

INSTANTIATE_TEST_SUITE_P(
    Options, PasswordGeneratorTable,
    testing::Values(GeneratorCase{"Shortest", {8, kPasswordAllClasses, false}, kAll.c_str()},
                    GeneratorCase{"Longest", {128, kPasswordAllClasses, false}, kAll.c_str()},
                    GeneratorCase{"ShortestWithoutLookAlikes", {8, kPasswordAllClasses, true}, kAll.c_str()},
                    GeneratorCase{"LowerOnly", {20, kPasswordLowerCase, false}, kLower},
                    GeneratorCase{"UpperOnly", {20, kPasswordUpperCase, false}, kUpper},
                    GeneratorCase{"DigitsOnly", {20, kPasswordDigits, false}, kDigits},
                    GeneratorCase{"SymbolsOnly", {20, kPasswordSymbols, false}, kSymbols},
                    GeneratorCase{"DigitsWithoutLookAlikes", {8, kPasswordDigits, true}, kDigits},
                    GeneratorCase{"SymbolsWithoutLookAlikes", {8, kPasswordSymbols, true}, kSymbols}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PasswordGenerator, AlphabetIsPrintableAsciiWithoutSpaceOrSeparators) {
  char alphabet[kPasswordAlphabetCapacity];
  ASSERT_EQ(PasswordAlphabet({}, alphabet), 94);
  for (const char* c = alphabet; *c != '\0'; ++c) {
    EXPECT_GT(*c, ' ');
    EXPECT_LT(*c, 0x7f);
  }
  char lookAlikesAvoided[kPasswordAlphabetCapacity];
  EXPECT_EQ(PasswordAlphabet({20, kPasswordAllClasses, true}, lookAlikesAvoided), 94 - 7);
}

// A password always fits an entry field, and options the dialog cannot
// offer are refused rather than trimmed.
TEST(PasswordGenerator, RefusesWhatCannotBeMade) {
  char password[kFieldCapacity];
  EXPECT_FALSE(GeneratePassword({7, kPasswordAllClasses, false}, password, sizeof password));
  EXPECT_FALSE(GeneratePassword({129, kPasswordAllClasses, false}, password, sizeof password));
  EXPECT_FALSE(GeneratePassword({20, 0, false}, password, sizeof password));
  EXPECT_EQ(password[0], '\0');
  EXPECT_FALSE(GeneratePassword({20, kPasswordAllClasses, false}, password, 20));
  EXPECT_TRUE(GeneratePassword({20, kPasswordAllClasses, false}, password, 21));
  EXPECT_EQ(PasswordStrengthBits({20, 0, false}), 0);
  EXPECT_EQ(PasswordStrengthBits({300, kPasswordAllClasses, false}), 0);
}

// 100,000 characters of the full alphabet: each of the 94 should appear
// about equally often. A modulo reduction of random bytes would give the
// first 68 characters half as much again. The critical value is that of
// 93 degrees of freedom at a significance of one in a million, so a sound
// generator fails this about once in a million runs.
TEST(PasswordGenerator, CharactersAreUniform) {
  char alphabet[kPasswordAlphabetCapacity];
  const PasswordOptions options{128, kPasswordAllClasses, false};
  const int size = PasswordAlphabet(options, alphabet);
  std::vector<double> counts(128, 0);
  long total = 0;
  while (total < 100000) {
    char password[kFieldCapacity];
    ASSERT_TRUE(GeneratePassword(options, password, sizeof password));
    for (const char* c = password; *c != '\0'; ++c) counts[static_cast<unsigned char>(*c)] += 1;
    total += options.length;
  }
  const double expected = static_cast<double>(total) / size;
  double chiSquare = 0;
  for (int i = 0; i < size; ++i) {
    const double d = counts[static_cast<unsigned char>(alphabet[i])] - expected;
    chiSquare += d * d / expected;
  }
  // Wilson-Hilferty with z = 4.753 (upper tail 1e-6).
  const double df = size - 1;
  const double h = 2.0 / (9.0 * df);
  const double critical = df * std::pow(1.0 - h + 4.753 * std::sqrt(h), 3.0);
  EXPECT_LT(chiSquare, critical);
}

}  // namespace
