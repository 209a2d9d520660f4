#pragma once

#include <cstdint>
#include <string>

#include "interchange/kdbx_variant_dictionary.h"

// How a KDBX file turns its composite key into the key its other keys come
// from: AES-KDF (KDBX 3.1 and 4) or Argon2d/Argon2id (KDBX 4).
enum class KdbxKdfKind { kAes, kArgon2d, kArgon2id };

struct KdbxKdf {
  KdbxKdfKind kind = KdbxKdfKind::kAes;
  std::string seed;     // AES-KDF's key, Argon2's salt
  uint64_t rounds = 0;  // AES-KDF's rounds, Argon2's iterations
  uint64_t memory_bytes = 0;
  uint32_t parallelism = 0;
  uint32_t version = 0x13;
  std::string secret;      // Argon2's optional secret and associated data
  std::string associated;  // (KeePass lets a file carry them)
};

// The most work a file may ask for before a single key is tried. A file
// beyond them is refused, its figure named, before the work starts.
struct KdbxWorkLimits {
  uint64_t argon2_memory_bytes;
  uint64_t argon2_memory_passes;  // memory × iterations, in bytes
  uint64_t aes_rounds;
};
// 4 GiB of Argon2 memory; 1 TiB of Argon2 memory passes (about half an
// hour here, where 64 MiB × 10 passes take one to two seconds); 4·10^9
// AES-KDF rounds (about three minutes at the 20 million a second measured
// here). KeePass and KeePassXC users set a delay of seconds: these refuse
// only what would take hours on a slower machine.
inline constexpr KdbxWorkLimits kKdbxWorkLimits = {uint64_t{4} << 30, uint64_t{1} << 40, 4'000'000'000};

// The KDF a version 4 header's parameters name; false, with the reason,
// for an unknown KDF or one with a parameter missing or out of range.
bool KdfFromDictionary(const KdbxVariantDictionary& dictionary, KdbxKdf* kdf, std::string* error);
KdbxVariantDictionary DictionaryOf(const KdbxKdf& kdf);

bool CheckKdfWork(const KdbxKdf& kdf, const KdbxWorkLimits& limits, std::string* error);
// The transformed key (32 bytes); false, with the reason, when the KDF's
// library refuses the parameters or the memory cannot be had.
bool TransformKey(const KdbxKdf& kdf, const uint8_t composite[32], uint8_t transformed[32], std::string* error);
