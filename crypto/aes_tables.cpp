#include "crypto/aes_tables.h"

#include <array>

namespace {

constexpr uint8_t Times2(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00)); }

constexpr uint8_t Multiply(uint8_t x, uint8_t y) {
  uint8_t product = 0;
  for (; y != 0; y >>= 1) {
    if (y & 1) product ^= x;
    x = Times2(x);
  }
  return product;
}

// x^254 is the multiplicative inverse in GF(2^8), and maps 0 to 0 as AES wants.
constexpr uint8_t Inverse(uint8_t x) {
  uint8_t result = 1;
  uint8_t power = x;
  for (int exponent = 254; exponent != 0; exponent >>= 1) {
    if (exponent & 1) result = Multiply(result, power);
    power = Multiply(power, power);
  }
  return result;
}

constexpr uint8_t RotateLeft8(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }

constexpr uint8_t SubByte(uint8_t x) {
  const uint8_t b = Inverse(x);
  return b ^ RotateLeft8(b, 1) ^ RotateLeft8(b, 2) ^ RotateLeft8(b, 3) ^ RotateLeft8(b, 4) ^ 0x63;
}

constexpr uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  return (uint32_t{b0} << 24) | (uint32_t{b1} << 16) | (uint32_t{b2} << 8) | b3;
}

constexpr uint32_t RotateRight32(uint32_t x, int n) { return n == 0 ? x : (x >> n) | (x << (32 - n)); }

constexpr AesTables BuildAesTables() {
  AesTables tables{};
  std::array<uint8_t, 256> sbox{};
  std::array<uint8_t, 256> inverseSbox{};
  for (int x = 0; x < 256; ++x) {
    sbox[x] = SubByte(static_cast<uint8_t>(x));
    inverseSbox[sbox[x]] = static_cast<uint8_t>(x);
  }
  for (int x = 0; x < 256; ++x) {
    const uint8_t s = sbox[x];
    const uint8_t si = inverseSbox[x];
    const uint32_t encrypt = Word(Multiply(s, 2), s, s, Multiply(s, 3));
    const uint32_t decrypt = Word(Multiply(si, 14), Multiply(si, 9), Multiply(si, 13), Multiply(si, 11));
    for (int t = 0; t < 4; ++t) {
      tables.encrypt[t][x] = RotateRight32(encrypt, 8 * t);
      tables.decrypt[t][x] = RotateRight32(decrypt, 8 * t);
    }
    tables.sbox[x] = Word(s, s, s, s);
    tables.inverseSbox[x] = Word(si, si, si, si);
  }
  uint8_t roundConstant = 1;
  for (int i = 0; i < 10; ++i) {
    tables.roundConstants[i] = uint32_t{roundConstant} << 24;
    roundConstant = Times2(roundConstant);
  }
  return tables;
}

}  // namespace

constinit const AesTables kAesTables = BuildAesTables();
