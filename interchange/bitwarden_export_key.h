#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The key derivation a password-protected Bitwarden export names.
struct BitwardenKdf {
  enum Type : int64_t { kPbkdf2Sha256 = 0, kArgon2id = 1 };
  int64_t type = kPbkdf2Sha256;
  int64_t iterations = 0;
  int64_t memory_mib = 0;   // Argon2id only
  int64_t parallelism = 0;  // Argon2id only
};

// The export's encryption and MAC keys, wiped when they go.
struct BitwardenKeys {
  static constexpr size_t kSize = 32;
  uint8_t enc[kSize] = {};
  uint8_t mac[kSize] = {};
  BitwardenKeys() = default;
  ~BitwardenKeys();
  BitwardenKeys(const BitwardenKeys&) = delete;
  BitwardenKeys& operator=(const BitwardenKeys&) = delete;
};

// False with a reason naming the figure when the parameters are unknown or
// would take absurd time or memory; checked before any work starts.
bool CheckBitwardenKdf(const BitwardenKdf& kdf, std::string* error);

// The keys from the password and the export's salt text: PBKDF2-SHA256 over
// the salt, or Argon2id over its SHA-256, stretched by HKDF-Expand into
// "enc" and "mac". False with a reason when the work cannot be done (memory).
bool DeriveBitwardenKeys(std::string_view password, std::string_view salt, const BitwardenKdf& kdf, BitwardenKeys* keys,
                         std::string* error);
