#include "interchange/bitwarden_export_key.h"

#include <argon2.h>
#include <string.h>

#include "crypto/hkdf.h"
#include "crypto/pbkdf2.h"
#include "crypto/sha.h"

namespace {

// Bitwarden's own ceilings are 2,000,000 PBKDF2 iterations, 10 Argon2
// passes over 1 GiB with 16 lanes; beyond these a file asks for minutes of
// work or more memory than a desktop has.
constexpr int64_t kMaxPbkdf2Iterations = 10'000'000;
constexpr int64_t kMaxArgon2Iterations = 100;
constexpr int64_t kMaxArgon2MemoryMib = 4096;
constexpr int64_t kMaxArgon2Parallelism = 64;

bool Refuse(std::string* error, const std::string& what, int64_t figure, int64_t low, int64_t high) {
  *error = "the file's key derivation asks for " + std::to_string(figure) + " " + what + "; " + std::to_string(low) +
           " to " + std::to_string(high) + " can be read; nothing was imported";
  return false;
}

bool HkdfExpand(const uint8_t* key, const char* info, uint8_t* out) {
  return HkdfSha256Expand({key, BitwardenKeys::kSize}, {reinterpret_cast<const uint8_t*>(info), strlen(info)},
                          {out, BitwardenKeys::kSize});
}

bool DeriveMasterKey(std::string_view password, std::string_view salt, const BitwardenKdf& kdf, uint8_t* key) {
  if (kdf.type == BitwardenKdf::kPbkdf2Sha256) {
    return Pbkdf2Sha256(password, {reinterpret_cast<const uint8_t*>(salt.data()), salt.size()},
                        static_cast<uint32_t>(kdf.iterations), {key, BitwardenKeys::kSize});
  }
  uint8_t salt_hash[32];
  Sha256({{reinterpret_cast<const uint8_t*>(salt.data()), salt.size()}}, salt_hash);
  return argon2id_hash_raw(static_cast<uint32_t>(kdf.iterations), static_cast<uint32_t>(kdf.memory_mib * 1024),
                           static_cast<uint32_t>(kdf.parallelism), password.data(), password.size(), salt_hash,
                           sizeof salt_hash, key, BitwardenKeys::kSize) == ARGON2_OK;
}

}  // namespace

BitwardenKeys::~BitwardenKeys() {
  explicit_bzero(enc, sizeof enc);
  explicit_bzero(mac, sizeof mac);
}

bool CheckBitwardenKdf(const BitwardenKdf& kdf, std::string* error) {
  if (kdf.type == BitwardenKdf::kPbkdf2Sha256) {
    if (kdf.iterations < 1 || kdf.iterations > kMaxPbkdf2Iterations) {
      return Refuse(error, "PBKDF2 iterations", kdf.iterations, 1, kMaxPbkdf2Iterations);
    }
    return true;
  }
  if (kdf.type != BitwardenKdf::kArgon2id) {
    *error =
        "the file's key derivation (kdfType " + std::to_string(kdf.type) + ") is not supported; nothing was imported";
    return false;
  }
  if (kdf.iterations < 1 || kdf.iterations > kMaxArgon2Iterations) {
    return Refuse(error, "Argon2id iterations", kdf.iterations, 1, kMaxArgon2Iterations);
  }
  if (kdf.memory_mib < 1 || kdf.memory_mib > kMaxArgon2MemoryMib) {
    return Refuse(error, "MiB of Argon2id memory", kdf.memory_mib, 1, kMaxArgon2MemoryMib);
  }
  if (kdf.parallelism < 1 || kdf.parallelism > kMaxArgon2Parallelism) {
    return Refuse(error, "Argon2id lanes", kdf.parallelism, 1, kMaxArgon2Parallelism);
  }
  return true;
}

bool DeriveBitwardenKeys(std::string_view password, std::string_view salt, const BitwardenKdf& kdf, BitwardenKeys* keys,
                         std::string* error) {
  uint8_t master[BitwardenKeys::kSize];
  bool ok = DeriveMasterKey(password, salt, kdf, master) && HkdfExpand(master, "enc", keys->enc) &&
            HkdfExpand(master, "mac", keys->mac);
  explicit_bzero(master, sizeof master);
  if (!ok) *error = "the file's key could not be derived (not enough memory); nothing was imported";
  return ok;
}
