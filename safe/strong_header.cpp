#include <cstring>

#include "core/byte_order.h"
#include "safe/safe_format.h"
#include "safe/strong_format.h"

bool HasStrongMagic(const uint8_t* bytes, size_t size) {
  return size > sizeof kStrongSafeMagic && std::memcmp(bytes, kStrongSafeMagic, sizeof kStrongSafeMagic) == 0;
}

void EncodeStrongHeader(const StrongSafeHeader& header, uint8_t out[kStrongHeaderSize]) {
  std::memcpy(out, kStrongSafeMagic, sizeof kStrongSafeMagic);
  out[7] = header.version;
  Store32Le(out + 8, header.params.iterations);
  Store32Le(out + 12, header.params.memoryKiB);
  std::memcpy(out + 16, header.salt, kStrongSaltSize);
  std::memcpy(out + 32, header.nonce, kStrongNonceSize);
}

bool DecodeStrongHeader(const uint8_t in[kStrongHeaderSize], StrongSafeHeader& header) {
  if (!HasStrongMagic(in, kStrongHeaderSize)) return false;
  header.version = in[7];
  header.params = {Load32Le(in + 8), Load32Le(in + 12)};
  std::memcpy(header.salt, in + 16, kStrongSaltSize);
  std::memcpy(header.nonce, in + 32, kStrongNonceSize);
  // A version this one does not know is refused, never read as another.
  bool known = header.version == kStrongSafeVersion || header.version == kStrongSafeLineVersion;
  return known && AreStrongParamsAllowed(header.params);
}
