#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// AES in CBC mode with PKCS#7 padding (OpenSSL's), for a 128- or 256-bit
// key, as Bitwarden exports, KDBX payloads and Secret Service sessions use it.

// The size of in's encryption: whole blocks, with at least one byte of padding.
size_t AesCbcPaddedSize(size_t plain_size);

// out must be at least AesCbcPaddedSize(in.size()) bytes; false for another
// key size or when OpenSSL fails.
bool AesCbcEncrypt(std::span<const uint8_t> key, const uint8_t iv[16], std::span<const uint8_t> in,
                   std::span<uint8_t> out);

enum class AesCbcOpen {
  kOpened,
  kBadPadding,  // or a length that is not whole blocks: a wrong key, when nothing checked the key before
  kFailed,      // another key size, or OpenSSL failed
};

// out must be at least in.size() bytes; *plain_size is how many of them are
// the plain text. Anything but kOpened leaves out wiped.
AesCbcOpen AesCbcDecrypt(std::span<const uint8_t> key, const uint8_t iv[16], std::span<const uint8_t> in,
                         std::span<uint8_t> out, size_t* plain_size);
