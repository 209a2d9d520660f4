#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Twofish with a 256-bit key in CBC mode and PKCS#7 padding, as KeePass's
// Twofish plug-in encrypts a KDBX payload (libgcrypt's Twofish).

inline constexpr size_t kTwofishBlockSize = 16;

// The size of in's encryption: whole blocks, with at least one byte of padding.
size_t TwofishCbcPaddedSize(size_t plain_size);

// out must be TwofishCbcPaddedSize(in.size()) bytes; false when libgcrypt
// cannot be used.
bool TwofishCbcEncrypt(const uint8_t key[32], const uint8_t iv[16], std::span<const uint8_t> in,
                       std::span<uint8_t> out);

// out must be in.size() bytes; *plain_size is how many of them are the
// plain text. False for a length that is not whole blocks or a padding
// that is wrong (a wrong key, when nothing checked the key before).
bool TwofishCbcDecrypt(const uint8_t key[32], const uint8_t iv[16], std::span<const uint8_t> in, std::span<uint8_t> out,
                       size_t* plain_size);
