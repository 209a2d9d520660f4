#include "interchange/kdbx_key_derivation.h"

#include <argon2.h>
#include <string.h>

#include <algorithm>
#include <thread>

#include "core/wiping_allocator.h"
#include "crypto/aes_kdf.h"
#include "crypto/sha.h"
#include "interchange/kdbx_bytes.h"

namespace {

// The KDF UUIDs KeePass gives them; AES-KDF has one of its own in KDBX 4.
constexpr char kAesKdf3[] = "\xc9\xd9\xf3\x9a\x62\x8a\x44\x60\xbf\x74\x0d\x08\xc1\x8a\x4f\xea";
constexpr char kAesKdf4[] = "\x7c\x02\xbb\x82\x79\xa7\x4a\xc0\x92\x7d\x11\x4a\x00\x64\x82\x38";
constexpr char kArgon2d[] = "\xef\x63\x6d\xdf\x8c\x29\x44\x4b\x91\xf7\xa9\xa4\x03\xe3\x0a\x0c";
constexpr char kArgon2id[] = "\x9e\x29\x8b\x19\x56\xdb\x47\x73\xb2\x3d\xfc\x3e\xc6\xf0\xa1\xe6";

std::string_view Uuid(const char* bytes) { return std::string_view(bytes, 16); }

std::string Bytes(const KdbxVariantDictionary& dictionary, std::string_view key) {
  auto found = dictionary.find(key);
  return found == dictionary.end() || found->second.type != kVariantBytes ? std::string() : found->second.bytes;
}

bool ArgonFromDictionary(const KdbxVariantDictionary& dictionary, KdbxKdf* kdf, std::string* error) {
  uint64_t parallelism = 0, version = 0;
  if (!VariantNumber(dictionary, "I", &kdf->rounds) || !VariantNumber(dictionary, "M", &kdf->memory_bytes) ||
      !VariantNumber(dictionary, "P", &parallelism) || !VariantNumber(dictionary, "V", &version)) {
    *error = "the Argon2 parameters are incomplete";
    return false;
  }
  kdf->seed = Bytes(dictionary, "S");
  kdf->secret = Bytes(dictionary, "K");
  kdf->associated = Bytes(dictionary, "A");
  if (parallelism == 0 || parallelism > ARGON2_MAX_LANES || (version != 0x10 && version != 0x13)) {
    *error = "the Argon2 parameters are out of range (parallelism " + std::to_string(parallelism) + ", version " +
             std::to_string(version) + ")";
    return false;
  }
  kdf->parallelism = static_cast<uint32_t>(parallelism);
  kdf->version = static_cast<uint32_t>(version);
  return true;
}

bool AesKdf(const KdbxKdf& kdf, const uint8_t composite[32], uint8_t transformed[32], std::string* error) {
  if (kdf.seed.size() != 32) {
    *error = "the AES-KDF seed is not 32 bytes";
    return false;
  }
  uint8_t block[32];
  memcpy(block, composite, 32);
  bool ok = AesKdfRounds(AsBytes(kdf.seed).data(), block, kdf.rounds);
  if (ok) Sha256({block}, transformed);
  explicit_bzero(block, sizeof block);
  if (!ok) *error = "AES-KDF failed";
  return ok;
}

bool Argon2(const KdbxKdf& kdf, const uint8_t composite[32], uint8_t transformed[32], std::string* error) {
  uint8_t password[32];
  memcpy(password, composite, 32);
  std::string salt = kdf.seed, secret = kdf.secret, associated = kdf.associated;
  argon2_context context{};
  context.out = transformed;
  context.outlen = 32;
  context.pwd = password;
  context.pwdlen = 32;
  context.salt = reinterpret_cast<uint8_t*>(salt.data());
  context.saltlen = static_cast<uint32_t>(salt.size());
  context.secret = secret.empty() ? nullptr : reinterpret_cast<uint8_t*>(secret.data());
  context.secretlen = static_cast<uint32_t>(secret.size());
  context.ad = associated.empty() ? nullptr : reinterpret_cast<uint8_t*>(associated.data());
  context.adlen = static_cast<uint32_t>(associated.size());
  context.t_cost = static_cast<uint32_t>(kdf.rounds);
  context.m_cost = static_cast<uint32_t>(kdf.memory_bytes / 1024);
  context.lanes = kdf.parallelism;
  // The lanes' order is fixed, not their threads': a file asking for a
  // thousand lanes gets no more threads than the machine has cores.
  context.threads = std::min(std::max(std::thread::hardware_concurrency(), 1u), kdf.parallelism);
  context.version = kdf.version;
  context.flags = ARGON2_FLAG_CLEAR_PASSWORD | ARGON2_FLAG_CLEAR_SECRET;
  int result = argon2_ctx(&context, kdf.kind == KdbxKdfKind::kArgon2d ? Argon2_d : Argon2_id);
  explicit_bzero(password, sizeof password);
  if (result != ARGON2_OK) {
    explicit_bzero(transformed, 32);
    *error = std::string("Argon2 refused the file's parameters: ") + argon2_error_message(result);
    return false;
  }
  return true;
}

// In the largest unit that shows the figure whole: a file may ask for a
// few KiB.
std::string MemorySize(uint64_t bytes) {
  if (bytes % (1 << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

bool KdfFromDictionary(const KdbxVariantDictionary& dictionary, KdbxKdf* kdf, std::string* error) {
  std::string uuid = Bytes(dictionary, "$UUID");
  if (uuid == Uuid(kAesKdf3) || uuid == Uuid(kAesKdf4)) {
    kdf->kind = KdbxKdfKind::kAes;
    kdf->seed = Bytes(dictionary, "S");
    if (!VariantNumber(dictionary, "R", &kdf->rounds)) {
      *error = "the AES-KDF parameters are incomplete";
      return false;
    }
    return true;
  }
  if (uuid == Uuid(kArgon2d) || uuid == Uuid(kArgon2id)) {
    kdf->kind = uuid == Uuid(kArgon2d) ? KdbxKdfKind::kArgon2d : KdbxKdfKind::kArgon2id;
    return ArgonFromDictionary(dictionary, kdf, error);
  }
  *error = "the file's key derivation is of an unknown kind";
  return false;
}

KdbxVariantDictionary DictionaryOf(const KdbxKdf& kdf) {
  KdbxVariantDictionary dictionary;
  dictionary["S"] = KdbxVariant{kVariantBytes, kdf.seed};
  if (kdf.kind == KdbxKdfKind::kAes) {
    dictionary["$UUID"] = KdbxVariant{kVariantBytes, std::string(Uuid(kAesKdf3))};
    dictionary["R"] = VariantOf(kVariantUInt64, kdf.rounds);
    return dictionary;
  }
  const char* uuid = kdf.kind == KdbxKdfKind::kArgon2d ? kArgon2d : kArgon2id;
  dictionary["$UUID"] = KdbxVariant{kVariantBytes, std::string(Uuid(uuid))};
  dictionary["I"] = VariantOf(kVariantUInt64, kdf.rounds);
  dictionary["M"] = VariantOf(kVariantUInt64, kdf.memory_bytes);
  dictionary["P"] = VariantOf(kVariantUInt32, kdf.parallelism);
  dictionary["V"] = VariantOf(kVariantUInt32, kdf.version);
  return dictionary;
}

bool CheckKdfWork(const KdbxKdf& kdf, const KdbxWorkLimits& limits, std::string* error) {
  if (kdf.kind == KdbxKdfKind::kAes) {
    if (kdf.rounds <= limits.aes_rounds) return true;
    *error = "the file asks for " + std::to_string(kdf.rounds) + " AES-KDF rounds, more than the " +
             std::to_string(limits.aes_rounds) + " this import allows";
    return false;
  }
  if (kdf.memory_bytes > limits.argon2_memory_bytes) {
    *error = "the file asks for " + MemorySize(kdf.memory_bytes) + " of Argon2 memory, more than the " +
             MemorySize(limits.argon2_memory_bytes) + " this import allows";
    return false;
  }
  if (kdf.rounds > UINT32_MAX || kdf.rounds * kdf.memory_bytes > limits.argon2_memory_passes) {
    *error = "the file asks for " + std::to_string(kdf.rounds) + " Argon2 iterations over " +
             MemorySize(kdf.memory_bytes) + ", more than the " + MemorySize(limits.argon2_memory_passes) +
             " of memory passes this import allows";
    return false;
  }
  return true;
}

bool TransformKey(const KdbxKdf& kdf, const uint8_t composite[32], uint8_t transformed[32], std::string* error) {
  return kdf.kind == KdbxKdfKind::kAes ? AesKdf(kdf, composite, transformed, error)
                                       : Argon2(kdf, composite, transformed, error);
}
