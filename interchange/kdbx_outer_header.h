#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "interchange/kdbx_cipher.h"
#include "interchange/kdbx_key_derivation.h"

inline constexpr uint32_t kKdbxSignature1 = 0x9AA2D903;
inline constexpr uint32_t kKdbxSignature2 = 0xB54BFB67;
inline constexpr uint32_t kKeepass1Signature2 = 0xB54BFA65;

// The unencrypted start of a KDBX file: signatures, version and the
// fields (type, length, value) that say how the rest is encrypted.
struct KdbxOuterHeader {
  uint16_t major = 0;
  uint16_t minor = 0;
  KdbxCipher cipher = KdbxCipher::kAes256Cbc;
  bool gzip = false;
  std::string master_seed;
  std::string iv;
  KdbxKdf kdf;
  // Versions 2 and 3 only: the payload's start as a key check, and the inner
  // stream, which version 4 keeps in its inner header.
  std::string stream_start_bytes;
  std::string protected_stream_key;
  uint32_t inner_stream = 0;
  size_t size = 0;  // bytes from the file's start to the header's end
};

// Versions 2.x and 3.x (2-byte field lengths) and 4.x (4-byte). False, with the
// reason, for a field longer than the file, a field missing or out of
// range, or a cipher or key derivation this reader does not have.
bool ParseKdbxOuterHeader(std::string_view file, KdbxOuterHeader* header, std::string* error);
// A version 4.0 header of the cipher, compression, seed, IV and KDF given.
std::string SerializeKdbx4OuterHeader(const KdbxOuterHeader& header);
