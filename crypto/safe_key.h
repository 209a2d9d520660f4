#pragma once

#include <cstdint>

inline constexpr int kSafeKeySize = 16;

// Turns a NUL-terminated password into the 16-byte key of a user's safe.
// No salt and no iterations: the same password always gives the same key.
void DeriveSafeKey(const char* password, uint8_t key[16]);
