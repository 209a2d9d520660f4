#pragma once

#include <cstddef>

// Passwords drawn from the operating system's CSPRNG, for the entry dialog,
// the generator dialog and quillbox-cli.
inline constexpr int kGeneratedLengthMin = 8;
inline constexpr int kGeneratedLengthMax = 128;
inline constexpr int kGeneratedLengthDefault = 20;

enum PasswordClass : unsigned {
  kPasswordLowerCase = 1,
  kPasswordUpperCase = 2,
  kPasswordDigits = 4,
  kPasswordSymbols = 8,  // printable ASCII other than letters, digits and space
  kPasswordAllClasses = 15,
};

// "0 O o I l 1 |": characters that are easily taken for one another.
inline constexpr char kLookAlikeCharacters[] = "0OoIl1|";

struct PasswordOptions {
  int length = kGeneratedLengthDefault;
  unsigned classes = kPasswordAllClasses;
  bool avoidLookAlikes = false;
};

// Large enough for any alphabet and its terminator.
inline constexpr size_t kPasswordAlphabetCapacity = 96;

// The characters a password may hold, in ASCII order and NUL-terminated;
// returns how many (0 when no class is chosen). Never a tab, CR or LF.
int PasswordAlphabet(const PasswordOptions& options, char alphabet[kPasswordAlphabetCapacity]);

// Length times log2 of the alphabet size; 0 when nothing can be generated.
double PasswordStrengthBits(const PasswordOptions& options);

// Writes a NUL-terminated password of options.length characters into out,
// every character drawn uniformly from the alphabet (rejection sampling, no
// modulo bias) and at least one of each chosen class. False, with out
// wiped, when the length is outside 8-128, no class is chosen, out is too
// small or the system has no randomness to give.
bool GeneratePassword(const PasswordOptions& options, char* out, size_t capacity);
