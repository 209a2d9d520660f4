#include "safe/strong_record.h"

#include <sodium.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/posixfile.h"
#include "crypto/sodium_init.h"
#include "safe/entry_records.h"
#include "safe/legacy_lines.h"
#include "safe/safe_line_collector.h"

static_assert(kStrongKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(kStrongNonceSize == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(kStrongTagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);

namespace {

// The text a file of this size holds must fit the format's bound.
bool IsStrongFileSizeAllowed(uint64_t fileSize) {
  return fileSize >= kStrongMinFileSize && fileSize - kStrongMinFileSize <= kStrongMaxTextLength;
}

// The opened text as entries: version 3's records, or version 2's lines.
bool ReadStrongText(uint8_t version, const uint8_t* text, size_t length, EntryList& entries) {
  if (version == kStrongSafeVersion) return DecodeEntryList(text, length, entries);
  SafeLineCollector lines;
  lines.Start(static_cast<uint32_t>(length));
  lines.Feed(reinterpret_cast<const char*>(text), length);
  entries = EntryList();
  if (!lines.Finish()) return false;
  AppendEntriesFromLines(lines.Lines(), entries.entries);
  return true;
}

SafeLoadResult ReadStrongRecord(int fd, uint64_t fileSize, const HeldSafeKey& key, EntryList* entries,
                                bool* textBroken) {
  uint8_t headerBytes[kStrongHeaderSize];
  StrongSafeHeader header;
  if (!IsStrongFileSizeAllowed(fileSize) || !ReadFully(fd, headerBytes, sizeof headerBytes) ||
      !DecodeStrongHeader(headerBytes, header)) {
    return SafeLoadResult::kDamaged;
  }
  if (!key.IsKeyFor(header)) return SafeLoadResult::kWrongPassword;
  size_t size = static_cast<size_t>(fileSize);
  auto* record = static_cast<uint8_t*>(std::malloc(size));
  if (record == nullptr) return SafeLoadResult::kFailed;
  std::memcpy(record, headerBytes, sizeof headerBytes);
  size_t textLength = 0;
  SafeLoadResult result = SafeLoadResult::kDamaged;
  if (ReadFully(fd, record + kStrongHeaderSize, size - kStrongHeaderSize)) {
    result = OpenStrongRecord(key.GetStrongKey(), record, size, textLength) ? SafeLoadResult::kLoaded
                                                                            : SafeLoadResult::kWrongPassword;
  }
  const bool opened = result == SafeLoadResult::kLoaded;
  if (opened && entries != nullptr &&
      !ReadStrongText(header.version, record + kStrongHeaderSize, textLength, *entries)) {
    result = SafeLoadResult::kDamaged;
    if (textBroken != nullptr) *textBroken = true;
  }
  // Only an opened record holds plaintext.
  if (opened) explicit_bzero(record + kStrongHeaderSize, textLength);
  std::free(record);
  return result;
}

}  // namespace

void SealStrongRecord(const uint8_t key[kStrongKeySize], const StrongSafeHeader& header, const uint8_t* text,
                      size_t length, uint8_t* out) {
  EncodeStrongHeader(header, out);
  crypto_aead_xchacha20poly1305_ietf_encrypt(out + kStrongHeaderSize, nullptr, text, length, out, kStrongHeaderSize,
                                             nullptr, header.nonce, key);
}

bool OpenStrongRecord(const uint8_t key[kStrongKeySize], uint8_t* record, size_t size, size_t& textLength) {
  if (size < kStrongMinFileSize || !InitSodium()) return false;
  unsigned long long opened = 0;
  uint8_t* sealed = record + kStrongHeaderSize;
  // In place: libsodium checks the tag over the ciphertext before it decrypts.
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(sealed, &opened, nullptr, sealed, size - kStrongHeaderSize, record,
                                                 kStrongHeaderSize, record + 32, key) != 0) {
    return false;
  }
  textLength = static_cast<size_t>(opened);
  return true;
}

bool WriteStrongRecord(SafeFileOps& ops, int fd, const HeldSafeKey& key, const uint8_t* text, uint64_t length) {
  const uint8_t* secret = key.GetStrongKey();
  if (secret == nullptr || length > kStrongMaxTextLength || !InitSodium()) return false;
  size_t size = kStrongHeaderSize + static_cast<size_t>(length) + kStrongTagSize;
  auto* record = static_cast<uint8_t*>(std::malloc(size));
  if (record == nullptr) return false;
  StrongSafeHeader header;
  header.params = key.GetParams();
  std::memcpy(header.salt, key.GetSalt(), kStrongSaltSize);
  randombytes_buf(header.nonce, kStrongNonceSize);
  SealStrongRecord(secret, header, text, static_cast<size_t>(length), record);
  bool ok = ops.Write(fd, record, size);
  std::free(record);  // header and ciphertext only: nothing to wipe
  return ok;
}

SafeLoadResult ReadStrongSafeFile(const char* path, const HeldSafeKey& key, EntryList* entries, bool* textBroken) {
  if (key.GetStrongKey() == nullptr) return SafeLoadResult::kWrongPassword;
  uint64_t fileSize = 0;
  int fd = OpenRegularFileForReading(path, fileSize);
  if (fd < 0) return SafeLoadResult::kMissing;
  SafeLoadResult result = ReadStrongRecord(fd, fileSize, key, entries, textBroken);
  close(fd);
  return result;
}

SafeFileKind ProbeSafeFile(const char* path, StrongSafeHeader& header) {
  uint64_t fileSize = 0;
  int fd = OpenRegularFileForReading(path, fileSize);
  if (fd < 0) return SafeFileKind::kUnreadable;
  uint8_t bytes[kStrongHeaderSize];
  size_t length = static_cast<size_t>(std::min<uint64_t>(fileSize, sizeof bytes));
  bool read = ReadFully(fd, bytes, length);
  close(fd);
  if (!read) return SafeFileKind::kUnreadable;
  if (!HasStrongMagic(bytes, length)) return SafeFileKind::kLegacy;
  return IsStrongFileSizeAllowed(fileSize) && DecodeStrongHeader(bytes, header) ? SafeFileKind::kStrong
                                                                                : SafeFileKind::kDamagedStrong;
}
