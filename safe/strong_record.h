#pragma once

#include <cstddef>
#include <cstdint>

#include "safe/held_safe_key.h"
#include "safe/safe_file_ops.h"
#include "safe/entry.h"
#include "safe/safe_load_result.h"
#include "safe/strong_format.h"

// Seals a safe text (its NUL included) into a whole strong file in out,
// which holds kStrongHeaderSize + length + kStrongTagSize bytes.
void SealStrongRecord(const uint8_t key[kStrongKeySize], const StrongSafeHeader& header, const uint8_t* text,
                      size_t length, uint8_t* out);

// Opens a whole strong file in place: true when its tag verifies under key,
// and the text is then at record + kStrongHeaderSize, textLength bytes.
// Nothing is decrypted unless the tag verifies.
bool OpenStrongRecord(const uint8_t key[kStrongKeySize], uint8_t* record, size_t size, size_t& textLength);

// Writes the text as a strong file under the held key and a new random
// nonce, in one write.
bool WriteStrongRecord(SafeFileOps& ops, int fd, const HeldSafeKey& key, const uint8_t* text, uint64_t length);

// Reads the strong file at path and opens it under the held key, which must
// have been derived for its header (no key derivation here), into entries
// (replaced); with entries null it only checks. The header is checked
// before anything is allocated; a text that breaks its version's layout is
// a damaged safe, and then textBroken (when given) is set.
SafeLoadResult ReadStrongSafeFile(const char* path, const HeldSafeKey& key, EntryList* entries,
                                  bool* textBroken = nullptr);

enum class SafeFileKind {
  kUnreadable,
  kLegacy,
  kStrong,         // header decoded and within bounds
  kDamagedStrong,  // the magic, then a header out of bounds or a file too short
};

// What the first bytes of the file at path say it is; header is filled for kStrong.
SafeFileKind ProbeSafeFile(const char* path, StrongSafeHeader& header);
