#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// KDBX 4's typed key-value list (the key derivation's parameters): each
// value as its bytes, with the type byte it was written with.
struct KdbxVariant {
  uint8_t type = 0;
  std::string bytes;
};

inline constexpr uint8_t kVariantUInt32 = 0x04;
inline constexpr uint8_t kVariantUInt64 = 0x05;
inline constexpr uint8_t kVariantBool = 0x08;
inline constexpr uint8_t kVariantInt32 = 0x0C;
inline constexpr uint8_t kVariantInt64 = 0x0D;
inline constexpr uint8_t kVariantString = 0x18;
inline constexpr uint8_t kVariantBytes = 0x42;

using KdbxVariantDictionary = std::map<std::string, KdbxVariant, std::less<>>;

bool ParseVariantDictionary(std::string_view bytes, KdbxVariantDictionary* out, std::string* error);
std::string SerializeVariantDictionary(const KdbxVariantDictionary& dictionary);

// The value of a key as an unsigned number, whichever width it was
// written with; false when the key is missing or holds no number.
bool VariantNumber(const KdbxVariantDictionary& dictionary, std::string_view key, uint64_t* value);
KdbxVariant VariantOf(uint8_t type, uint64_t number);
