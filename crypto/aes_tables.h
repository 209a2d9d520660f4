#pragma once

#include <cstdint>

// Lookup tables of the 32-bit table form of AES, derived from the FIPS-197
// S-box and GF(2^8) arithmetic at compile time. Words are big-endian.
struct AesTables {
  uint32_t encrypt[4][256];   // SubBytes, ShiftRows and MixColumns folded together
  uint32_t decrypt[4][256];   // their inverses
  uint32_t sbox[256];         // S-box value in all four bytes
  uint32_t inverseSbox[256];  // inverse S-box value in all four bytes
  uint32_t roundConstants[10];
};

extern const AesTables kAesTables;
