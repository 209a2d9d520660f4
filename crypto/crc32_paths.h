#pragma once

#include <cstddef>
#include <cstdint>

// Both work on the inverted CRC register (the value before the final inversion).
uint32_t Crc32Slice8(uint32_t c, const uint8_t* p, size_t length);

// Carry-less-multiply folding; only when CarrylessMultiplyAvailable() is true.
// length must be at least kCrc32FoldMinimum and a multiple of 16.
inline constexpr size_t kCrc32FoldMinimum = 64;
uint32_t Crc32Fold(uint32_t c, const uint8_t* p, size_t length);
