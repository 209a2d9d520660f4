#include "health/password_strength.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct StrengthCase {
  const char* password;
  int bits;  // whole bits, as KeePassXC's own tests give them for zxcvbn
  StrengthClass strength;
};

// KeePassXC's table for the same estimator, one password per class.
const StrengthCase kCases[] = {
    {"", 0, StrengthClass::kBad},
    {"secret", 6, StrengthClass::kPoor},
    {"Yohb2ChR4", 47, StrengthClass::kWeak},
    {"MIhIN9UKrgtPL2hp", 78, StrengthClass::kGood},
    {"prompter-ream-oversleep-step-extortion-quarrel-reflected-prefix", 164, StrengthClass::kExcellent},
};

TEST(PasswordStrength, ClassesAndBitsAreZxcvbnsAsKeePassXcShowsThem) {
  for (const StrengthCase& c : kCases) {
    PasswordStrength strength = EstimateStrength(SecretText(c.password));
    EXPECT_EQ(static_cast<int>(strength.bits), c.bits) << c.password;
    EXPECT_EQ(strength.strength, c.strength) << c.password;
  }
}

TEST(PasswordStrength, ClassBoundsAreKeePassXcs) {
  const std::pair<double, StrengthClass> kBounds[] = {
      {-1, StrengthClass::kBad},     {0, StrengthClass::kBad},      {0.1, StrengthClass::kPoor},
      {39.99, StrengthClass::kPoor}, {40, StrengthClass::kWeak},    {64.99, StrengthClass::kWeak},
      {65, StrengthClass::kGood},    {99.99, StrengthClass::kGood}, {100, StrengthClass::kExcellent},
  };
  for (const auto& [bits, strength] : kBounds) EXPECT_EQ(ClassForBits(bits), strength) << bits;
}

TEST(PasswordStrength, TheEntrysOwnWordsCountAgainstIt) {
  SecretText password("Harborview1987");
  SecretText title("Harborview");
  const SecretText* inputs[] = {&title, nullptr};
  double alone = EstimateStrength(password).bits;
  double withTitle = EstimateStrength(password, inputs).bits;
  EXPECT_LT(withTitle, alone - 5);
}

TEST(PasswordStrength, TextShowsClassAndBits) {
  EXPECT_EQ(StrengthText({47.26, StrengthClass::kWeak}), "weak (47.3 bits)");
  EXPECT_EQ(StrengthText({0, StrengthClass::kBad}), "bad (0.0 bits)");
}

}  // namespace
