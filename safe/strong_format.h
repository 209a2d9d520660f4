#pragma once

#include <cstddef>
#include <cstdint>

// A safe file is in one of two formats: the strong one when it starts with
// the magic below, otherwise the legacy one (safe/safe_format.h).
enum class SafeFormat { kLegacy, kStrong };

// The strong format, all integers little-endian:
//    0   8  magic "QBXSAFE" and the version byte: 0x03 (0x02 read only)
//    8   4  Argon2id iterations
//   12   4  Argon2id memory in KiB
//   16  16  salt
//   32  24  nonce
//   56 n+16 XChaCha20-Poly1305 (IETF) of the n-byte safe text, then its tag;
//           the associated data is bytes 0-55
// The key is 32 bytes of Argon2id 1.3, parallelism 1, over the password.
// Version 3's safe text is the entry records (safe/entry_records.h);
// version 2's, the legacy format's plaintext, NUL included. Every save
// writes version 3. docs/safe-format.md has it all.
inline constexpr uint8_t kStrongSafeMagic[7] = {'Q', 'B', 'X', 'S', 'A', 'F', 'E'};
inline constexpr uint8_t kStrongSafeVersion = 0x03;
inline constexpr uint8_t kStrongSafeLineVersion = 0x02;
inline constexpr size_t kStrongSaltSize = 16;
inline constexpr size_t kStrongNonceSize = 24;
inline constexpr size_t kStrongTagSize = 16;
inline constexpr size_t kStrongKeySize = 32;
inline constexpr size_t kStrongHeaderSize = 56;
inline constexpr uint64_t kStrongMinFileSize = kStrongHeaderSize + kStrongTagSize;
// The legacy format's bound on the text, so either format holds any list.
inline constexpr uint64_t kStrongMaxTextLength = UINT32_MAX;

struct StrongSafeParams {
  uint32_t iterations;
  uint32_t memoryKiB;

  bool operator==(const StrongSafeParams&) const = default;
};

// New safes: about a second of Argon2id on a desktop, as libsodium's
// "moderate" preset.
inline constexpr StrongSafeParams kDefaultStrongSafeParams = {3, 262144};

// A header outside these bounds is a damaged safe, refused before anything
// is allocated for it.
inline constexpr uint32_t kStrongMinIterations = 1;
inline constexpr uint32_t kStrongMaxIterations = 64;
inline constexpr uint32_t kStrongMinMemoryKiB = 8;
inline constexpr uint32_t kStrongMaxMemoryKiB = 4u * 1024 * 1024;  // 4 GiB

inline bool AreStrongParamsAllowed(const StrongSafeParams& params) {
  return params.iterations >= kStrongMinIterations && params.iterations <= kStrongMaxIterations &&
         params.memoryKiB >= kStrongMinMemoryKiB && params.memoryKiB <= kStrongMaxMemoryKiB;
}

struct StrongSafeHeader {
  uint8_t version = kStrongSafeVersion;
  StrongSafeParams params{};
  uint8_t salt[kStrongSaltSize] = {};
  uint8_t nonce[kStrongNonceSize] = {};
};

// The seven bytes of the magic; the version byte after them is the header's.
bool HasStrongMagic(const uint8_t* bytes, size_t size);
void EncodeStrongHeader(const StrongSafeHeader& header, uint8_t out[kStrongHeaderSize]);
// False without the magic and a known version, or with parameters out of
// bounds.
bool DecodeStrongHeader(const uint8_t in[kStrongHeaderSize], StrongSafeHeader& header);
