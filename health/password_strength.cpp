#include "health/password_strength.h"

#include <zxcvbn.h>

#include <cstdio>
#include <string>
#include <vector>

StrengthClass ClassForBits(double bits) {
  if (bits <= 0) return StrengthClass::kBad;
  if (bits < 40) return StrengthClass::kPoor;
  if (bits < 65) return StrengthClass::kWeak;
  if (bits < 100) return StrengthClass::kGood;
  return StrengthClass::kExcellent;
}

const char* StrengthClassName(StrengthClass strength) {
  switch (strength) {
    case StrengthClass::kBad:
      return "bad";
    case StrengthClass::kPoor:
      return "poor";
    case StrengthClass::kWeak:
      return "weak";
    case StrengthClass::kGood:
      return "good";
    case StrengthClass::kExcellent:
      return "excellent";
  }
  return "bad";
}

std::string StrengthText(const PasswordStrength& strength) {
  char bits[32];
  std::snprintf(bits, sizeof(bits), " (%.1f bits)", strength.bits);
  return StrengthClassName(strength.strength) + std::string(bits);
}

PasswordStrength EstimateStrength(const SecretText& password, std::span<const SecretText* const> userInputs) {
  std::vector<const char*> words;
  for (const SecretText* input : userInputs) {
    if (input != nullptr && !input->empty()) words.push_back(input->c_str());
  }
  words.push_back(nullptr);
  PasswordStrength result;
  result.bits = ZxcvbnMatch(password.c_str(), words.data(), nullptr);
  result.strength = ClassForBits(result.bits);
  return result;
}
