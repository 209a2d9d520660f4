#include "crypto/crc32.h"

#include "core/byte_order.h"
#include "crypto/cpu_features.h"
#include "crypto/crc32_paths.h"

namespace {

constexpr uint32_t kReflectedPolynomial = 0xEDB88320;

struct Crc32Tables {
  uint32_t slice[8][256];
};

constexpr Crc32Tables BuildCrc32Tables() {
  Crc32Tables tables{};
  for (uint32_t k = 0; k < 256; ++k) {
    uint32_t c = k;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ kReflectedPolynomial : c >> 1;
    tables.slice[0][k] = c;
  }
  for (int j = 1; j < 8; ++j) {
    for (uint32_t k = 0; k < 256; ++k) {
      const uint32_t previous = tables.slice[j - 1][k];
      tables.slice[j][k] = (previous >> 8) ^ tables.slice[0][previous & 0xFF];
    }
  }
  return tables;
}

constinit const Crc32Tables kCrc32Tables = BuildCrc32Tables();

}  // namespace

uint32_t Crc32Slice8(uint32_t c, const uint8_t* p, size_t length) {
  const auto& t = kCrc32Tables.slice;
  for (; length >= 8; length -= 8, p += 8) {
    const uint32_t low = Load32Le(p) ^ c;
    const uint32_t high = Load32Le(p + 4);
    c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^ t[3][high & 0xFF] ^
        t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
  }
  for (; length != 0; --length, ++p) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
  return c;
}

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length) {
  if (data == nullptr) return 0;
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t c = ~crc;
  if (length >= kCrc32FoldMinimum && CarrylessMultiplyAvailable()) {
    const size_t folded = length & ~size_t{15};
    c = Crc32Fold(c, p, folded);
    p += folded;
    length -= folded;
  }
  return ~Crc32Slice8(c, p, length);
}
