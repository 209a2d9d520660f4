#pragma once

#include <span>
#include <string_view>

#include "core/secret_text.h"

// zxcvbn's estimate in the classes KeePassXC shows: its bounds on the bits.
enum class StrengthClass { kBad, kPoor, kWeak, kGood, kExcellent };

struct PasswordStrength {
  double bits = 0;
  StrengthClass strength = StrengthClass::kBad;
};

StrengthClass ClassForBits(double bits);
// "bad", "poor", "weak", "good" or "excellent".
const char* StrengthClassName(StrengthClass strength);
// "weak (38.4 bits)"
std::string StrengthText(const PasswordStrength& strength);

// userInputs are words a guesser would try first (the entry's title and
// user name); empty ones are left out.
PasswordStrength EstimateStrength(const SecretText& password, std::span<const SecretText* const> userInputs = {});
