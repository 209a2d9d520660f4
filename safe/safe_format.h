#pragma once

#include <cstddef>
#include <cstdint>

// The layout of a safe file, all integers 32-bit little-endian:
//   L | AES-128-ECB(plaintext + pad to 16) | CRC-32 of the padded plaintext | T
// L counts the plaintext's terminating NUL; T = padded length + 12.

// An empty list is stored as this sentence (75 characters and its NUL).
inline constexpr char kEmptySafeSentence[] =
    "Build a better mousetrap and the world will beat a chicken on your doorstep";
inline constexpr uint32_t kEmptySafeLength = sizeof(kEmptySafeSentence);

// Writer and reader work in chunks of this many plaintext bytes.
inline constexpr size_t kSafeChunkSize = 0x100000;

inline constexpr uint64_t kSafeHeaderSize = 4;   // L
inline constexpr uint64_t kSafeTrailerSize = 8;  // CRC and T
inline constexpr size_t kSafeMaxFieldLength = 260;
inline constexpr char kSafeTempPrefix[] = "tulvane";

inline uint64_t RoundUpToBlock(uint64_t length) { return (length + 15) & ~uint64_t{15}; }
