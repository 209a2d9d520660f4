#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/file_key.h"
#include "interchange/foreign_entry.h"
#include "interchange/kdbx_cipher.h"
#include "interchange/kdbx_key_derivation.h"
#include "safe/entry.h"

inline constexpr char kKdbxWrongKeyMessage[] = "the database's password or key file is wrong";

// A KeePass 2 database (KDBX), by its signature.
bool IsKdbx(std::string_view bytes);
// A KeePass 1 database (.kdb), which shares KDBX's first signature.
bool IsKeepass1Database(std::string_view bytes);

// KDBX 4.x, 3.x and 2.x opened with the key given; its XML goes through the
// KeePass XML reader. Nothing is decrypted before the header's and every
// block's HMAC (KDBX 4) are checked, and a file asking for more work than
// kKdbxWorkLimits is refused before the work starts.
bool ReadKdbx(std::string_view bytes, const FileKey& key, ForeignFile* file, std::string* error);
bool ReadKdbxWithin(std::string_view bytes, const FileKey& key, const KdbxWorkLimits& limits, ForeignFile* file,
                    std::string* error);

// How a KDBX 4 file is written: Argon2id over argon2_memory_bytes with
// argon2_parallelism lanes, argon2_iterations passes (0: as many as take
// about argon2_seconds here, measured once per write), the cipher, gzip.
struct KdbxWriteSettings {
  KdbxCipher cipher = KdbxCipher::kChaCha20;
  uint64_t argon2_memory_bytes = uint64_t{64} << 20;
  uint32_t argon2_parallelism = 2;
  uint64_t argon2_iterations = 0;
  double argon2_seconds = 1.0;
};

// A KDBX 4.0 file of the entries, under the key, with the settings last
// given to SetKdbxWriteSettings (the defaults above until then).
bool WriteKdbx(const std::vector<Entry>& entries, const FileKey& key, std::string* out, std::string* error);
bool WriteKdbxWith(const std::vector<Entry>& entries, const FileKey& key, const KdbxWriteSettings& settings,
                   std::string* out, std::string* error);
// For test programs only, as their tiny safe KDF: cheap Argon2 parameters
// for every later WriteKdbx.
void SetKdbxWriteSettings(const KdbxWriteSettings& settings);
